// An in-memory desktop: windows with Z order, styles and owning processes; processes with image
// paths; a registry tree; INI and list files in a temporary folder; a clock, a cursor; and a
// log of shell launches, posted messages and message boxes. Test code, kept as simple as the
// tests allow.
#pragma once

#include <algorithm>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "support/FakeHookLibrary.h"
#include "support/FakeMedia.h"
#include "widgets/Controls.h"

namespace nv::test {

struct FakeWindow {
    WindowHandle handle = 0;
    std::wstring title;
    std::wstring className;
    std::uint32_t style = kWsVisible;
    std::uint32_t exStyle = 0;
    ProcessId pid = 0;
    std::uint32_t thread = 0;  // the owning thread; 0 for the process's one thread (its id)
    bool iconic = false;
    bool hung = false;     // does not answer messages
    int unanswered = 0;    // busy: this many timed messages go unanswered before it answers
    bool refusesHide = false;  // its program turns every hide down (clears SWP_HIDEWINDOW)
    bool elevated = false;     // its program runs as administrator: our changes are refused
    std::uint64_t changedAtMs = 0;  // when, on the desktop's clock, it was last shown or hidden
    bool alive = true;
    WindowHandle parent = 0;  // 0 for a top-level window
    std::uint32_t cloaked = 0;  // DWMWA_CLOAKED
    int buttons = 0;            // a toolbar's buttons
};

struct MessageBoxRecord {
    std::wstring text;
    std::wstring caption;
    MessageBoxKind kind;
    MessageBoxButtons buttons;
};

struct PostedMessage {
    WindowHandle window;
    std::uint32_t msg;
    std::uintptr_t wParam = 0;
};

struct ShellLaunch {
    std::wstring verb, file, parameters, directory;
    int showCmd;
};

// The keyboard layouts the fake names keys for.
enum class KeyboardLayout { Us, German, French };

struct HotKeyRegistration {
    WindowHandle window;
    int id;
    std::uint32_t modifiers;
    std::uint32_t vk;
};

class FakeDesktop : public IWindowManager,
                    public IKernel,
                    public IShell,
                    public IRegistry,
                    public IProfile,
                    public IWmi,
                    public ICrypto,
                    public IDisplay,
                    public ITrayLibrary,
                    public IWorkers {
public:
    FakeDesktop();
    ~FakeDesktop() override;

    Platform AsPlatform() {
        return Platform{*this, *this, *this,     *this, *this,         *this,
                        *this, *this, wallpaper, audio, *this,         hooks,
                        audioSessions, *this};
    }
    FakeWallpaper wallpaper;
    FakeAudio audio;
    FakeAudioSessions audioSessions;
    FakeHookLibrary hooks;

    // --- Set-up -----------------------------------------------------------------------------
    // A top-level window on top of the Z order.
    WindowHandle AddWindow(const std::wstring& title, const std::wstring& className,
                           ProcessId pid, bool visible = true);
    // A child window, below its earlier siblings; never part of the top-level walk.
    WindowHandle AddChildWindow(WindowHandle parent, const std::wstring& title,
                                const std::wstring& className, bool visible = true);
    FakeWindow& Window(WindowHandle h) { return m_windows.at(h); }
    bool Has(WindowHandle h) const { return m_windows.count(h) && m_windows.at(h).alive; }
    void DestroyWindow(WindowHandle h);
    std::vector<WindowHandle> ZOrder() const { return m_z; }
    // A process with its image path in device form.
    void AddProcess(ProcessId pid, const std::wstring& devicePath);
    void MapDrive(const std::wstring& drive, const std::wstring& device) { m_drives[drive] = device; }

    // The root of the temporary folder where the fake's files live.
    const std::filesystem::path& Root() const { return m_root; }
    // A Windows-style path turned into the real path of the temporary folder.
    std::filesystem::path RealPath(const std::wstring& path) const;

    // Answers for the next message boxes; when none is queued, Ok boxes answer Ok and
    // Yes/Cancel boxes answer Cancel.
    std::deque<MessageBoxResult> messageBoxAnswers;
    std::function<void(const MessageBoxRecord&)> onMessageBox;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<PostedMessage> posted;
    std::vector<ShellLaunch> launches;
    std::vector<ProcessId> terminated;
    std::vector<HotKeyRegistration> hotkeys;
    std::set<std::pair<std::uint32_t, std::uint32_t>> takenHotkeys;  // (modifiers, vk) of others
    KeyboardLayout keyboardLayout = KeyboardLayout::Us;
    std::optional<std::wstring> openFileAnswer;

    // State the tests set.
    OsVersion version{10, 0, 19045, 2};
    std::wstring wmiVersion = L"10.0.19045";
    bool wmiFails = false;
    int wmiQueries = 0;  // how often the version was asked of WMI
    bool mutexExists = false;
    bool mutexFails = false;
    std::wstring moduleFileName = L"C:\\Program Files\\Nivora\\Nivora.exe";
    std::vector<std::wstring> commandLine;
    ProcessId currentPid = 4242;
    std::uint32_t tickCount = 1000;
    Point cursor{500, 500};
    Rect screen{0, 0, 1280, 1024};
    WindowHandle foreground = 0;
    bool appDataAvailable = true;
    std::set<std::uint32_t> unwritableProfile;  // not used by default
    bool profileWritable = true;

    // Registry contents: key paths are compared without regard to case.
    void SetRegistryString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                           const std::wstring& value);
    void SetRegistryDword(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                          std::uint32_t value);
    void CreateRegistryKey(RegistryHive hive, const std::wstring& key);

    // --- IWindowManager ---------------------------------------------------------------------
    WindowHandle GetTopWindow() override;
    WindowHandle GetNextWindow(WindowHandle window) override;
    std::wstring InternalGetWindowText(WindowHandle window, int maxChars) override;
    std::wstring GetClassNameW(WindowHandle window, int maxChars) override;
    bool GetWindowStyles(WindowHandle window, WindowStyles& styles) override;
    ProcessId GetWindowThreadProcessId(WindowHandle window) override;
    std::uint32_t GetWindowThreadAndProcessId(WindowHandle window, ProcessId& pid) override;
    std::uint32_t GetWindowExStyle(WindowHandle window) override;
    void SetWindowExStyleAndWait(WindowHandle window, std::uint32_t exStyle) override;
    bool PostMessageW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                      std::intptr_t lParam) override;
    bool ShowWindowAndWait(WindowHandle window, int showCmd) override;
    bool ShowWindowAsync(WindowHandle window, int showCmd) override;
    void SetWindowPosAndWait(WindowHandle window, WindowHandle insertAfter) override;
    bool SendMessageTimeoutW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                             std::intptr_t lParam, std::uint32_t timeoutMs) override;
    WindowHandle FindWindowW(const std::wstring& className, const std::wstring& title) override;
    WindowHandle FindWindowExW(WindowHandle parent, WindowHandle after, const std::wstring& className,
                               const std::optional<std::wstring>& title) override;
    WindowHandle GetForegroundWindow() override { return foreground; }
    bool SetForegroundWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override { return Has(window); }
    bool IsIconic(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    WindowHandle GetShellWindow() override { return shellWindow; }
    std::uint32_t DwmGetWindowCloaked(WindowHandle window) override {
        return Has(window) ? m_windows[window].cloaked : 0;
    }
    std::optional<int> GetToolbarButtonCount(WindowHandle toolbar, std::uint32_t) override {
        if (!Has(toolbar) || m_windows[toolbar].hung) return std::nullopt;
        return m_windows[toolbar].buttons;
    }
    WindowHandle shellWindow = 0;
    bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    std::uint32_t MapVirtualKeyW(std::uint32_t virtualKey) override;
    std::wstring GetKeyNameTextW(std::int32_t lParam) override;
    MessageBoxResult MessageBoxW(WindowHandle owner, const std::wstring& text,
                                 const std::wstring& caption, MessageBoxKind kind,
                                 MessageBoxButtons buttons) override;
    Point GetCursorPos() override { return cursor; }
    Rect GetPrimaryScreenRect() override { return screen; }
    Rect GetWorkArea() override { return Rect{0, 0, screen.right, screen.bottom - 40}; }
    // The monitor holding the point, else the nearest one.
    MonitorInfo MonitorFromPoint(Point p) override {
        if (monitors.empty()) return {screen, 96};
        auto away = [&](const Rect& r) {
            int dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
            int dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
            return dx * dx + dy * dy;
        };
        return *std::min_element(monitors.begin(), monitors.end(),
                                 [&](const auto& a, const auto& b) {
                                     return away(a.rect) < away(b.rect);
                                 });
    }
    // Several monitors; none: the one screen above, at 96 dpi.
    std::vector<MonitorInfo> monitors;
    std::optional<std::wstring> GetInputDesktopName() override {
        if (workstationLocked) return std::nullopt;
        return inputDesktop;
    }
    bool WTSRegisterSessionNotification(WindowHandle window) override {
        return sessionNotified.insert(window).second;
    }
    void WTSUnRegisterSessionNotification(WindowHandle window) override {
        sessionNotified.erase(window);
    }
    WindowHandle GetDesktopWindow() override { return desktopWindow; }
    std::uint32_t GetLastInputInfo() override { return lastInputTick; }
    std::uint32_t RegisterWindowMessageW(const std::wstring& name) override {
        return hooks.RegisterWindowMessageW(name);
    }
    void LockWorkStation(ProcAddress entry) override;
    std::uint32_t lastInputTick = 0;  // the session has had no input yet
    // The lock screen has the input: the input desktop cannot be opened.
    bool workstationLocked = false;
    std::wstring inputDesktop = L"Default";
    std::set<WindowHandle> sessionNotified;  // windows told of the session's lock and unlock
    WindowHandle desktopWindow = 0x10001;
    // The lock and the screen-saver command, in the order they were made: "LockWorkStation",
    // "ScreenSave" (WM_SYSCOMMAND/SC_SCREENSAVE posted to the desktop window).
    std::vector<std::string> lockAndSaver;
    // Calls made on windows, in order, as "ShowWindowAndWait(h,cmd)" and the like.
    std::vector<std::string> calls;

    // --- IKernel ----------------------------------------------------------------------------
    std::uint32_t GetTickCount() override { return tickCount; }
    OsVersion GetVersionExW() override { return version; }
    ProcessId GetCurrentProcessId() override { return currentPid; }
    // The program's one thread has its process's id, as the fake's windows' threads do.
    std::uint32_t GetCurrentThreadId() override { return currentPid; }
    std::wstring GetModuleFileNameW() override { return moduleFileName; }
    std::vector<std::wstring> GetCommandLineArgs() override { return commandLine; }
    MutexResult CreateMutexW(const std::wstring& name) override;
    std::wstring GetProcessImageFileNameW(ProcessId pid) override;
    std::wstring QueryDosDeviceW(const std::wstring& drive) override;
    void TerminateProcess(ProcessId pid) override;
    std::optional<std::uint64_t> GetProcessCreationTime(ProcessId pid) override;
    std::optional<std::uint32_t> ProcessIdToSessionId(ProcessId pid) override {
        if (closedProcesses.count(pid)) return std::nullopt;
        return sessions.count(pid) ? sessions[pid] : 1;
    }
    std::optional<std::wstring> GetProcessUserSid(ProcessId pid) override {
        if (closedProcesses.count(pid)) return std::nullopt;
        return userSids.count(pid) ? userSids[pid] : kUserSid;
    }
    // Every process runs in session 1 as the user, unless these say otherwise.
    static constexpr const wchar_t* kUserSid = L"S-1-5-21-7-7-7-1001";
    std::map<ProcessId, std::uint32_t> sessions;
    std::map<ProcessId, std::wstring> userSids;
    std::set<ProcessId> closedProcesses;  // cannot be opened to ask
    bool FileExists(const std::wstring& path) override;
    std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) override;
    void ReplaceFileContents(const std::wstring& path, const std::vector<std::uint8_t>& bytes) override;
    bool CreateDirectoryTree(const std::wstring& path) override;
    bool DeleteFileW(const std::wstring& path) override;
    bool MoveFileW(const std::wstring& from, const std::wstring& to) override;
    int lstrcmpW(const std::wstring& a, const std::wstring& b) override;
    int CompareStringOrdinal(const std::wstring& a, const std::wstring& b,
                             bool ignoreCase) override;
    int FindStringOrdinal(const std::wstring& text, const std::wstring& part,
                          bool ignoreCase) override;
    std::string WideToAnsi(const std::wstring& text) override;
    std::wstring AnsiToWide(const std::string& bytes) override;
    // A double-byte code page as East Asian systems have: characters from U+0100 to U+7FFF take
    // a lead byte (0x81 to 0xFF) and a trail byte; a lead byte without its trail reads as "?".
    bool doubleByteCodePage = false;
    ModuleHandle LoadLibraryW(const std::wstring& name) override;
    ProcAddress GetProcAddress(ModuleHandle module, const std::string& name) override;
    void FreeLibrary(ModuleHandle module) override;
    // user32 is always there; whether it exports LockWorkStation is up to the test.
    bool lockWorkStationExported = true;
    int librariesLoaded = 0;
    int librariesFreed = 0;
    int queryDosDeviceCalls = 0;
    int imageNameCalls = 0;
    // When each process started; a process with a window and no entry here started at
    // 0x1000 + its id. Set another time to give the id to a later process.
    std::map<ProcessId, std::uint64_t> processCreationTimes;
    std::set<std::wstring> failingWrites;  // Windows paths whose writes fail
    std::set<std::wstring> failingReads;   // Windows paths whose reads fail
    std::set<std::wstring> pathsWithoutIcon;  // names the shell has no icon for
    std::set<ProcessId> unreadableProcesses;  // their creation time cannot be read

    // --- Threads, on a clock of the fake's own ----------------------------------------------
    // A call that waits on a window's thread costs a millisecond, and waits for the thread to be
    // free; a timed message to a thread not free in time costs its whole time-out. The workers
    // run each job at once, one after the other, each on the clock as it stood at the Start,
    // so that jobs run side by side as far as the clock tells; waiting for a job moves the
    // calling thread's clock to when it ended.
    std::uint64_t clockMs = 0;
    // The thread answers nothing before this time.
    std::map<std::uint32_t, std::uint64_t> busyUntilMs;
    void BusyFor(std::uint32_t thread, std::uint64_t ms) { busyUntilMs[thread] = clockMs + ms; }
    std::uint32_t ThreadOf(WindowHandle h) { return Has(h) ? ThreadOfWindow(m_windows[h]) : 0; }
    void Start(std::vector<std::function<void()>> jobs) override;
    bool WaitForJob(std::size_t index, std::uint32_t deadlineMs) override;
    void WaitForAll() override;

    // --- IShell -----------------------------------------------------------------------------
    std::wstring SHGetSpecialFolderPathW(int csidl) override;
    void ShellExecuteW(const std::wstring& verb, const std::wstring& file,
                       const std::wstring& parameters, const std::wstring& directory,
                       int showCmd) override;
    IconHandle GetFileIcon(const std::wstring& path, bool small) override;
    void DestroyIcon(IconHandle icon) override { ++destroyedIcons; }
    std::optional<std::wstring> GetOpenFileNameW(WindowHandle owner, const std::wstring& filter,
                                                 const std::wstring& defaultExt) override;
    int destroyedIcons = 0;
    int iconsMade = 0;

    // --- IRegistry --------------------------------------------------------------------------
    bool KeyExists(RegistryHive hive, const std::wstring& key) override;
    bool ValueExists(RegistryHive hive, const std::wstring& key, const std::wstring& name) override;
    std::optional<std::wstring> ReadString(RegistryHive hive, const std::wstring& key,
                                           const std::wstring& name) override;
    std::optional<std::uint32_t> ReadDword(RegistryHive hive, const std::wstring& key,
                                           const std::wstring& name) override;
    std::uint32_t WriteString(RegistryHive hive, const std::wstring& key, const std::wstring& name,
                              const std::wstring& value, bool createKey) override;
    std::uint32_t DeleteValue(RegistryHive hive, const std::wstring& key,
                              const std::wstring& name) override;
    bool registryWritable = true;
    std::set<std::wstring> unreadableValues;  // value names whose reads raise (access denied)

    // --- IProfile ---------------------------------------------------------------------------
    std::wstring GetPrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                          const std::wstring& defaultValue,
                                          const std::wstring& file) override;
    bool WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& value, const std::wstring& file) override;

    // --- IWmi -------------------------------------------------------------------------------
    bool CoInitialize() override { return true; }
    void CoUninitialize() override {}
    std::optional<std::wstring> QueryOperatingSystemVersion(std::uint32_t timeoutMs) override;
    bool wmiTimesOut = false;

    // --- ICrypto ----------------------------------------------------------------------------
    std::vector<std::uint8_t> GenRandom(std::size_t count) override;
    std::vector<std::uint8_t> Pbkdf2Sha256(const std::vector<std::uint8_t>& password,
                                           const std::vector<std::uint8_t>& salt,
                                           std::uint32_t iterations,
                                           std::size_t keyLength) override;
    bool pbkdf2Fails = false;

    // --- IDisplay ---------------------------------------------------------------------------
    bool EnumDisplaySettingsW(std::int32_t modeNumber, DisplayMode& mode) override;
    std::int32_t ChangeDisplaySettingsW(const DisplayMode& mode, std::uint32_t flags) override;
    // The modes the system lists, in order, and the settings in use (1280x1024, 32 bits,
    // 60 Hz: mode 3).
    std::vector<DisplayMode> displayModes = {
        {32, 640, 480, 60, 0}, {32, 800, 600, 60, 0}, {32, 1024, 768, 60, 0}, {32, 1280, 1024, 60, 0}};
    DisplayMode currentMode{32, 1280, 1024, 60, 0};
    // Every ChangeDisplaySettingsW, in order, with its flags.
    std::vector<std::pair<DisplayMode, std::uint32_t>> displayChanges;

    // --- ITrayLibrary ----------------------------------------------------------------------
    bool LoadTrayLibrary(const std::wstring& path) override;
    void HideTray(std::int32_t what, const std::string& accessCode) override;
    void RestoreTray() override;
    bool trayLibraryPresent = true;  // whether the file with both exports is there
    std::vector<std::wstring> trayLibraryLoads;  // the paths asked for
    std::vector<std::string> trayCalls;          // "HideTray(1,739402)", "RestoreTray"

private:
    struct RegValue {
        bool isDword = false;
        std::wstring text;
        std::uint32_t number = 0;
    };
    using RegKey = std::map<std::wstring, RegValue>;  // value names lower-cased
    static std::wstring RegPath(RegistryHive hive, const std::wstring& key);
    std::map<std::wstring, RegKey> m_registry;          // lower-cased full key paths
    std::map<WindowHandle, FakeWindow> m_windows;
    std::vector<WindowHandle> m_z;  // topmost first
    std::map<ProcessId, std::wstring> m_processes;
    std::map<std::wstring, std::wstring> m_drives;
    std::filesystem::path m_root;
    // Logs a call that waits for the window's thread; on a hung window that fails the test.
    // Moves the clock on; false when the window's program refuses our changes.
    bool WaitOn(WindowHandle window, const std::string& call);
    static std::uint32_t ThreadOfWindow(const FakeWindow& w) { return w.thread ? w.thread : w.pid; }
    // When the window's thread is free again, on the clock (now when it is).
    std::uint64_t FreeAt(WindowHandle window);
    std::uint64_t m_jobsStartedAt = 0;
    std::vector<std::uint64_t> m_jobsEndAt;
    std::exception_ptr m_jobError;
    // Shows or hides as ShowWindow does, at this time on the clock; a show puts a top-level
    // window on top of the Z order, as Windows does.
    bool ApplyShow(WindowHandle window, int showCmd, std::uint64_t atMs);
    WindowHandle m_nextHandle = 0x10010;
    std::uint32_t m_randomState = 12345;
};

// A widget backend with no native windows: forms get a fake top-level window so that the
// window inventory and the visibility rules see them; modal forms are answered by a script.
class FakeWidgetBackend : public IWidgetBackend {
public:
    explicit FakeWidgetBackend(FakeDesktop& desktop) : m_desktop(desktop) {}
    void Realize(TForm& form) override;
    void RealizeImageList(TImageList&) override {}
    void RealizeTimer(TTimer& timer) override {
        timer.AttachPeer(std::make_unique<TimerPeer>(*this, timer));
    }
    void RunMessageLoop() override { ++loopsRun; }
    void PostQuit() override { ++quitsPosted; }
    ModalResult RunModal(TForm& form) override;
    void ShowPopupMenu(TPopupMenu& menu, int, int) override { popups.push_back(menu.name); }
    void ShowHelp(const std::wstring& file, int context) override { helpShown.push_back(context); }

    // Answers a modal form: may fill its edits; returns the result.
    std::function<ModalResult(TForm&)> modalResponder;
    // The platform refuses the 32-bit copies of the forms' list images.
    bool imageListsFail = false;
    int loopsRun = 0;
    int quitsPosted = 0;
    std::vector<std::string> popups;
    std::vector<int> helpShown;
    // When each timer was last started (enabled or set again), by the desktop's clock: a test
    // ticks it once its interval has passed since.
    std::map<const TTimer*, std::uint32_t> timerStarts;

private:
    // Notes when its timer is started.
    class TimerPeer : public TTimer::IPeer {
    public:
        TimerPeer(FakeWidgetBackend& backend, TTimer& timer) : m_backend(backend), m_timer(timer) {}
        ~TimerPeer() override { m_backend.timerStarts.erase(&m_timer); }
        void Update() override {
            if (m_timer.Enabled()) m_backend.timerStarts[&m_timer] = m_backend.m_desktop.tickCount;
        }

    private:
        FakeWidgetBackend& m_backend;
        TTimer& m_timer;
    };
    FakeDesktop& m_desktop;
};

}  // namespace nv::test
