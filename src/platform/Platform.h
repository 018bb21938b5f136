// The platform seam: every operating-system operation Nivora uses, grouped as Windows groups
// them. The real implementation lives in src/platform/win32; the tests use an in-memory desktop.
// Methods carry the Windows names so the logic reads like the Windows code it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/Types.h"

// <windows.h> makes GetNextWindow a two-argument macro; files that include it first would
// otherwise mangle the window walk below.
#ifdef GetNextWindow
#undef GetNextWindow
#endif

namespace nv {

// user32: the window manager, messages, hotkeys, keyboard names, message boxes, cursor.
class IWindowManager {
public:
    virtual ~IWindowManager() = default;

    // Z-order walk of the top-level windows (GetTopWindow(nullptr), GetWindow(GW_HWNDNEXT)).
    virtual WindowHandle GetTopWindow() = 0;
    virtual WindowHandle GetNextWindow(WindowHandle window) = 0;
    // Texts are read through a buffer of maxChars characters (terminator included); a failure
    // reads as empty text. The title is the one the system keeps (InternalGetWindowText), read
    // without a WM_GETTEXT to the window's thread, which a busy program would answer late.
    virtual std::wstring InternalGetWindowText(WindowHandle window, int maxChars = 10000) = 0;
    virtual std::wstring GetClassNameW(WindowHandle window, int maxChars = 10000) = 0;
    // GetWindowLongW with GWL_STYLE and GWL_EXSTYLE; false when the window does not exist.
    virtual bool GetWindowStyles(WindowHandle window, WindowStyles& styles) = 0;
    // GetWindowThreadProcessId: the owning process; with pid, the owning thread as well (0 for
    // both when the window does not exist).
    virtual ProcessId GetWindowThreadProcessId(WindowHandle window) = 0;
    virtual std::uint32_t GetWindowThreadAndProcessId(WindowHandle window, ProcessId& pid) = 0;
    // GetWindowLongW with GWL_EXSTYLE.
    virtual std::uint32_t GetWindowExStyle(WindowHandle window) = 0;
    // The calls named "AndWait" send to the window's thread and wait until it has handled them:
    // on another program's window that has stopped answering they stall us for seconds. Call
    // them on such a window only after it has answered a timed WM_NULL (SendMessageTimeoutW).
    // SetWindowLongW with GWL_EXSTYLE.
    virtual void SetWindowExStyleAndWait(WindowHandle window, std::uint32_t exStyle) = 0;
    // ShowWindow.
    virtual bool ShowWindowAndWait(WindowHandle window, int showCmd) = 0;
    // Posts the show to the window's thread and returns at once.
    virtual bool ShowWindowAsync(WindowHandle window, int showCmd) = 0;
    // SetWindowPos of the Z order alone (no move, size or activation, owned windows left where
    // they are): the window goes right below insertAfter.
    virtual void SetWindowPosAndWait(WindowHandle window, WindowHandle insertAfter) = 0;
    virtual bool PostMessageW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) = 0;
    // SendMessageTimeoutW with SMTO_ABORTIFHUNG; true when the window processed the message
    // within timeoutMs.
    virtual bool SendMessageTimeoutW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                                     std::intptr_t lParam, std::uint32_t timeoutMs) = 0;
    // FindWindowW; an empty string stands for "any".
    virtual WindowHandle FindWindowW(const std::wstring& className, const std::wstring& title) = 0;
    // FindWindowExW: the next child of parent (the next top-level window when parent is 0) after
    // the window after (from the first when 0) of this class (any when empty) and this title
    // (any when nullopt; an empty title matches only windows whose title is empty).
    virtual WindowHandle FindWindowExW(WindowHandle parent, WindowHandle after,
                                       const std::wstring& className,
                                       const std::optional<std::wstring>& title) = 0;
    virtual WindowHandle GetForegroundWindow() = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    // The shell's desktop window (GetShellWindow); 0 when no shell runs.
    virtual WindowHandle GetShellWindow() = 0;
    // DwmGetWindowAttribute(DWMWA_CLOAKED): kCloaked* bits, 0 when the window is not cloaked or
    // the system cannot tell (no DWM).
    virtual std::uint32_t DwmGetWindowCloaked(WindowHandle window) = 0;
    // TB_BUTTONCOUNT sent with SendMessageTimeoutW (SMTO_ABORTIFHUNG): the buttons of a toolbar
    // of another program; nullopt when it did not answer within timeoutMs.
    virtual std::optional<int> GetToolbarButtonCount(WindowHandle toolbar,
                                                     std::uint32_t timeoutMs) = 0;

    // Global hotkeys. false when the combination cannot be registered (another program holds it).
    virtual bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                                std::uint32_t virtualKey) = 0;
    virtual bool UnregisterHotKey(WindowHandle window, int id) = 0;
    // MapVirtualKeyW(vk, MAPVK_VK_TO_VSC).
    virtual std::uint32_t MapVirtualKeyW(std::uint32_t virtualKey) = 0;
    // GetKeyNameTextW with a 256-character buffer; empty when the key has no name.
    virtual std::wstring GetKeyNameTextW(std::int32_t lParam) = 0;

    // The one place every message box of the program goes through.
    virtual MessageBoxResult MessageBoxW(WindowHandle owner, const std::wstring& text,
                                         const std::wstring& caption, MessageBoxKind kind,
                                         MessageBoxButtons buttons) = 0;

    // A failed call reads as the point (0, 0).
    virtual Point GetCursorPos() = 0;
    // Size of the primary screen (GetSystemMetrics SM_CXSCREEN, SM_CYSCREEN) and its work area.
    virtual Rect GetPrimaryScreenRect() = 0;
    virtual Rect GetWorkArea() = 0;
    // MonitorFromPoint(MONITOR_DEFAULTTONEAREST): that monitor's rectangle (GetMonitorInfoW) and
    // dpi (GetDpiForMonitor; the system's where Windows knows no other).
    virtual MonitorInfo MonitorFromPoint(Point point) = 0;

    // The name of the desktop that has the user's input (OpenInputDesktop, then
    // GetUserObjectInformationW with UOI_NAME): "Default" for the user's own; nullopt when it
    // cannot be opened, as the lock screen's and other secure desktops cannot. Switches nothing.
    virtual std::optional<std::wstring> GetInputDesktopName() = 0;
    // WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION): the window is told when
    // the session is locked and unlocked (kWmWtsSessionChange); false when it cannot be.
    virtual bool WTSRegisterSessionNotification(WindowHandle window) = 0;
    virtual void WTSUnRegisterSessionNotification(WindowHandle window) = 0;
    virtual WindowHandle GetDesktopWindow() = 0;
    // GetLastInputInfo: the tick count of the session's last key press or mouse move; 0 in a
    // session that has had no input yet.
    virtual std::uint32_t GetLastInputInfo() = 0;
    // RegisterWindowMessageW: the session-wide number of a named message; 0 when it fails.
    virtual std::uint32_t RegisterWindowMessageW(const std::wstring& name) = 0;
    // Calls LockWorkStation through an entry point found with IKernel::GetProcAddress (stdcall,
    // no arguments); its result is ignored.
    virtual void LockWorkStation(ProcAddress entry) = 0;
};

// What CreateMutexW made of a name.
enum class MutexResult { Created, AlreadyExists, Failed };

// kernel32, PSAPI: processes, the mutex, files, code pages, the clock, the version. Each call
// returns all its caller needs to know: there is no last-error code to ask for afterwards.
class IKernel {
public:
    virtual ~IKernel() = default;

    virtual std::uint32_t GetTickCount() = 0;
    virtual OsVersion GetVersionExW() = 0;
    virtual ProcessId GetCurrentProcessId() = 0;
    virtual std::uint32_t GetCurrentThreadId() = 0;
    // Full path of the running executable.
    virtual std::wstring GetModuleFileNameW() = 0;
    // The command-line arguments after the program name.
    virtual std::vector<std::wstring> GetCommandLineArgs() = 0;

    // CreateMutexW(nullptr, TRUE, name); the handle lives until the process ends.
    // AlreadyExists: another process holds the name (ERROR_ALREADY_EXISTS).
    virtual MutexResult CreateMutexW(const std::wstring& name) = 0;

    // Image path of a process in device form (\Device\HarddiskVolume2\...), opened by its id;
    // empty when the process cannot be opened or read.
    virtual std::wstring GetProcessImageFileNameW(ProcessId pid) = 0;
    // The first device name mapped to a drive ("C:"), empty when unmapped.
    virtual std::wstring QueryDosDeviceW(const std::wstring& drive) = 0;
    // OpenProcess(PROCESS_TERMINATE) + TerminateProcess(exit code 0); failures are ignored.
    virtual void TerminateProcess(ProcessId pid) = 0;
    // GetProcessTimes: when the process started (a FILETIME), which tells one run of a program
    // from a later process given the same id; nullopt when it cannot be opened or read.
    virtual std::optional<std::uint64_t> GetProcessCreationTime(ProcessId pid) = 0;
    // ProcessIdToSessionId: the log-on session a process runs in; nullopt when it cannot be read.
    virtual std::optional<std::uint32_t> ProcessIdToSessionId(ProcessId pid) = 0;
    // The user a process runs as, as a SID string (the TokenUser of its token); nullopt when the
    // process or its token cannot be opened.
    virtual std::optional<std::wstring> GetProcessUserSid(ProcessId pid) = 0;

    // Files. Errors raise OsError with the platform's code.
    virtual bool FileExists(const std::wstring& path) = 0;
    virtual std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) = 0;
    // Writes the bytes to a temporary file beside the target and replaces the target with it in
    // one step, so the target never holds half a write.
    virtual void ReplaceFileContents(const std::wstring& path,
                                     const std::vector<std::uint8_t>& bytes) = 0;
    // Creates the folder and all missing parents; false on failure.
    virtual bool CreateDirectoryTree(const std::wstring& path) = 0;
    // DeleteFileW; true when the file is gone (also when there was none).
    virtual bool DeleteFileW(const std::wstring& path) = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING; false on failure.
    virtual bool MoveFileW(const std::wstring& from, const std::wstring& to) = 0;

    // lstrcmpW: the locale-aware, case-sensitive comparison the sorted lists use.
    virtual int lstrcmpW(const std::wstring& a, const std::wstring& b) = 0;
    // The ordinal comparisons, as Windows compares file names: CompareStringOrdinal gives
    // <0, 0 or >0; FindStringOrdinal (from the start) the position of part in text, or -1.
    virtual int CompareStringOrdinal(const std::wstring& a, const std::wstring& b,
                                     bool ignoreCase) = 0;
    virtual int FindStringOrdinal(const std::wstring& text, const std::wstring& part,
                                  bool ignoreCase) = 0;

    // The system's ANSI code page (Windows-1252 where the platform has none).
    virtual std::string WideToAnsi(const std::wstring& text) = 0;
    virtual std::wstring AnsiToWide(const std::string& bytes) = 0;

    // Libraries: LoadLibraryW gives 0 when it fails (a bare name is looked for in the system
    // folder only), GetProcAddress 0 when there is no such export.
    virtual ModuleHandle LoadLibraryW(const std::wstring& name) = 0;
    virtual ProcAddress GetProcAddress(ModuleHandle module, const std::string& name) = 0;
    virtual void FreeLibrary(ModuleHandle module) = 0;
};

// shell32 and comdlg32.
class IShell {
public:
    virtual ~IShell() = default;

    // SHGetSpecialFolderPathW(nullptr, buf[260], csidl, FALSE): the bare folder (no trailing
    // backslash); empty when the folder is not available.
    virtual std::wstring SHGetSpecialFolderPathW(int csidl) = 0;
    // Fire and forget.
    virtual void ShellExecuteW(const std::wstring& verb, const std::wstring& file,
                               const std::wstring& parameters, const std::wstring& directory,
                               int showCmd) = 0;
    // SHGetFileInfoW with SHGFI_USEFILEATTRIBUTES: the shell's icon for the name; the caller
    // owns the handle and releases it with DestroyIcon.
    virtual IconHandle GetFileIcon(const std::wstring& path, bool small) = 0;
    virtual void DestroyIcon(IconHandle icon) = 0;
    // The open-file dialog; nullopt when cancelled.
    virtual std::optional<std::wstring> GetOpenFileNameW(WindowHandle owner,
                                                         const std::wstring& filter,
                                                         const std::wstring& defaultExt) = 0;
};

// advapi32: the registry. Keys are opened in the registry view of the running process.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    virtual bool KeyExists(RegistryHive hive, const std::wstring& key) = 0;
    virtual bool ValueExists(RegistryHive hive, const std::wstring& key,
                             const std::wstring& name) = 0;
    // nullopt when the key or the value is missing, or the value is of another type.
    virtual std::optional<std::wstring> ReadString(RegistryHive hive, const std::wstring& key,
                                                   const std::wstring& name) = 0;
    virtual std::optional<std::uint32_t> ReadDword(RegistryHive hive, const std::wstring& key,
                                                   const std::wstring& name) = 0;
    // Writes a REG_SZ value. With createKey false a missing key makes the write fail.
    // Returns the platform's error code, 0 on success.
    virtual std::uint32_t WriteString(RegistryHive hive, const std::wstring& key,
                                      const std::wstring& name, const std::wstring& value,
                                      bool createKey) = 0;
    // Returns the platform's error code, 0 on success.
    virtual std::uint32_t DeleteValue(RegistryHive hive, const std::wstring& key,
                                      const std::wstring& name) = 0;
};

// The private-profile (INI) functions.
class IProfile {
public:
    virtual ~IProfile() = default;

    // GetPrivateProfileStringW with a 2048-character buffer.
    virtual std::wstring GetPrivateProfileStringW(const std::wstring& section,
                                                  const std::wstring& key,
                                                  const std::wstring& defaultValue,
                                                  const std::wstring& file) = 0;
    virtual bool WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                            const std::wstring& value,
                                            const std::wstring& file) = 0;
};

// COM on the calling thread and the WMI query of the operating-system version.
class IWmi {
public:
    virtual ~IWmi() = default;

    virtual bool CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
    // "SELECT Version FROM Win32_OperatingSystem" on root\CIMV2, on a thread of its own with its
    // own COM apartment: the first element's Version, empty when the query returns no element,
    // nullopt when no answer came within timeoutMs (the query is then left to end by itself).
    // Raises std::runtime_error when the locator, the connection or the query fails.
    virtual std::optional<std::wstring> QueryOperatingSystemVersion(std::uint32_t timeoutMs) = 0;
};

// bcrypt: hashing and random bytes, for the application password.
class ICrypto {
public:
    virtual ~ICrypto() = default;

    virtual std::vector<std::uint8_t> GenRandom(std::size_t count) = 0;
    // PBKDF2 with HMAC-SHA-256.
    virtual std::vector<std::uint8_t> Pbkdf2Sha256(const std::vector<std::uint8_t>& password,
                                                   const std::vector<std::uint8_t>& salt,
                                                   std::uint32_t iterations,
                                                   std::size_t keyLength) = 0;
};

// The desktop wallpaper: shell32's Active Desktop object and the wallpaper setting of
// SystemParametersInfoW. Each call creates its own Active Desktop object and releases it.
class IWallpaper {
public:
    virtual ~IWallpaper() = default;

    // GetDesktopItemOptions: whether Active Desktop is enabled. False when the object cannot be
    // created, offers no IActiveDesktop, or the call fails (stripped editions, Wine).
    virtual bool ActiveDesktopEnabled() = 0;
    // IActiveDesktop::GetWallpaper (AD_GETWP_BMP); nullopt when it fails.
    virtual std::optional<std::wstring> GetActiveDesktopWallpaper() = 0;
    // IActiveDesktop::SetWallpaper, then ApplyChanges(AD_APPLY_SAVE | AD_APPLY_HTMLGEN |
    // AD_APPLY_REFRESH).
    virtual void SetActiveDesktopWallpaper(const std::wstring& path) = 0;
    // SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE |
    // SPIF_SENDWININICHANGE): an empty path removes the wallpaper.
    virtual void SetDeskWallpaper(const std::wstring& path) = 0;
};

// Core Audio's master volume of a playback device, and winmm's PlaySoundW. Each call asks for the
// device's endpoint volume afresh and releases it. A device is named by its endpoint id
// (IMMDevice::GetId); an empty id names the default playback device (eRender, eConsole).
struct EndpointVolume {
    std::wstring endpointId;
    float scalar = 0;
    bool muted = false;
};

class IAudio {
public:
    virtual ~IAudio() = default;

    // GetMasterVolumeLevelScalar and GetMute of a device, with its endpoint id; nullopt when
    // there is no such device, it is no longer active (unplugged, disabled) or a read fails.
    // Raises when the device enumerator cannot be created.
    virtual std::optional<EndpointVolume> GetMasterVolume(const std::wstring& endpointId) = 0;
    // SetMasterVolumeLevelScalar; false when there is no such active device or the call fails.
    // Raises as above.
    virtual bool SetMasterVolumeLevelScalar(const std::wstring& endpointId, float scalar) = 0;
    virtual void SetMute(const std::wstring& endpointId, bool muted) = 0;
    // PlaySoundW(path, nullptr, SND_FILENAME): returns when the sound has played.
    virtual void PlaySoundW(const std::wstring& path) = 0;
    // GetWindowsDirectoryW, no trailing backslash.
    virtual std::wstring GetWindowsDirectoryW() = 0;
};

// A display mode of the primary display: the four fields the program shows and compares, and the
// record's field mask, so a mode read from the system is applied as it was read.
struct DisplayMode {
    std::uint32_t bitsPerPel = 0;
    std::uint32_t pelsWidth = 0;
    std::uint32_t pelsHeight = 0;
    std::uint32_t displayFrequency = 0;
    std::uint32_t fields = 0;  // dmFields
    bool SameMode(const DisplayMode& other) const {
        return bitsPerPel == other.bitsPerPel && pelsWidth == other.pelsWidth &&
               pelsHeight == other.pelsHeight && displayFrequency == other.displayFrequency;
    }
    bool operator==(const DisplayMode&) const = default;
};

// EnumDisplaySettingsW's mode number for the settings in use.
constexpr std::int32_t kEnumCurrentSettings = -1;
// ChangeDisplaySettingsW flags.
constexpr std::uint32_t kCdsUpdateRegistry = 0x01;
constexpr std::uint32_t kCdsFullscreen = 0x04;

// user32: the display settings of the primary display (no device name).
class IDisplay {
  public:
    virtual ~IDisplay() = default;

    // Mode number n counted from 0, or kEnumCurrentSettings. False when the system lists no
    // such mode; the record is then left as it was.
    virtual bool EnumDisplaySettingsW(std::int32_t modeNumber, DisplayMode& mode) = 0;
    // Returns the system's DISP_CHANGE code (0: done).
    virtual std::int32_t ChangeDisplaySettingsW(const DisplayMode& mode, std::uint32_t flags) = 0;
};

// nvatray.dll, the tray library beside the executable.
class ITrayLibrary {
public:
    virtual ~ITrayLibrary() = default;

    // LoadLibraryW of this full path (never a bare name, so the search order plays no part) and
    // GetProcAddress of HideTray and RestoreTray. False, with nothing bound, when the file or
    // either export is missing.
    virtual bool LoadTrayLibrary(const std::wstring& path) = 0;
    // The two exports (stdcall); their results are ignored. Nothing is called while unbound.
    virtual void HideTray(std::int32_t what, const std::string& accessCode) = 0;
    virtual void RestoreTray() = 0;
};

// shook.dll, the hook library of the window watch, and the hidden window that receives what it
// posts.
class IHookLibrary {
public:
    virtual ~IHookLibrary() = default;

    enum class LoadResult { Loaded, NotFound, NotValid };
    // Called for every message of the receiver window; false sends it on to DefWindowProcW.
    using Receiver =
        std::function<bool(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)>;

    // RegisterWindowMessageW.
    virtual std::uint32_t RegisterWindowMessageW(const std::wstring& name) = 0;
    // LoadLibraryExW of this full path, its own imports taken from its folder and the system
    // folder only (a relative path or a bare name is refused as NotFound, so the search order
    // plays no part), GetProcAddress of StartWatching, StopWatching,
    // StillWatching, StopAll (required: NotValid, with the module freed, when one is missing)
    // and SetReceiver (optional). Once loaded: makes the receiver window, whose messages go to
    // receiver, and hands it to SetReceiver. Does nothing and answers Loaded while loaded.
    virtual LoadResult LoadHookLibrary(const std::wstring& path, Receiver receiver) = 0;
    // Destroys the receiver window and frees the library; nothing when not loaded.
    virtual void UnloadHookLibrary() = 0;
    // The exports (stdcall); nothing is called while unloaded. StillWatching is false then.
    virtual void StartWatching(std::uint8_t kind) = 0;
    virtual void StopWatching(std::uint8_t kind) = 0;
    virtual bool StillWatching() = 0;
    virtual void StopAll() = 0;
};

// One program's audio session on a playback device (Core Audio).
struct AudioSession {
    std::wstring id;     // IAudioSessionControl2::GetSessionInstanceIdentifier, unique
    ProcessId pid = 0;   // IAudioSessionControl2::GetProcessId; 0 for the system sounds
    bool muted = false;  // ISimpleAudioVolume::GetMute
};

// The audio sessions of every active playback device (IAudioSessionManager2): each program's
// own mute, beside the master volume of IAudio. Failures are quiet: where sessions cannot be
// listed (no device; Wine, which does not implement the list) there are none.
class IAudioSessions {
public:
    virtual ~IAudioSessions() = default;

    // IAudioSessionEnumerator of each device, with each session's mute state.
    virtual std::vector<AudioSession> GetAudioSessions() = 0;
    // ISimpleAudioVolume::SetMute of the session with this id; false when it is gone or refused.
    virtual bool SetAudioSessionMute(const std::wstring& id, bool muted) = 0;
    // IAudioSessionNotification on each device: onCreated runs on the calling thread, from its
    // message loop, after a session has been opened. An empty function stops the watch.
    virtual void WatchNewAudioSessions(std::function<void()> onCreated) = 0;
};

// The program's workers: a small pool of threads that run jobs for the calling thread and the
// one place besides the start's WMI query where the program runs on more than one thread.
class IWorkers {
public:
    virtual ~IWorkers() = default;

    // Hands each job to a worker (the pool grows to a few threads and keeps them; jobs beyond
    // that wait for a free one) and returns at once. The jobs of the last Start are numbered in
    // the order given.
    virtual void Start(std::vector<std::function<void()>> jobs) = 0;
    // Waits until job `index` has ended, but no longer than until deadlineMs after the Start
    // (UINT32_MAX: however long it takes); true when it has ended. While it waits the calling thread handles the messages other
    // threads send it, and nothing else: no posted message, timer or input is dispatched, so
    // nothing the user does runs meanwhile.
    virtual bool WaitForJob(std::size_t index, std::uint32_t deadlineMs) = 0;
    // Waits, the same way, until every job of the last Start has ended; raises again the first
    // error a job raised.
    virtual void WaitForAll() = 0;
};

// Everything the program is given of the operating system.
struct Platform {
    IWindowManager& windows;
    IKernel& kernel;
    IShell& shell;
    IRegistry& registry;
    IProfile& profile;
    IWmi& wmi;
    ICrypto& crypto;
    IDisplay& display;
    IWallpaper& wallpaper;
    IAudio& audio;
    ITrayLibrary& tray;
    IHookLibrary& hooks;
    IAudioSessions& audioSessions;
    IWorkers& workers;
};

}  // namespace nv
