// The real platform: thin wrappers that forward every operation of the seam to Win32.
// This header stays free of <windows.h>; the handles it keeps are opaque here.
#pragma once

#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace nv {

class Win32WindowManager final : public IWindowManager {
  public:
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
    WindowHandle GetForegroundWindow() override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    bool IsIconic(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    WindowHandle GetShellWindow() override;
    std::uint32_t DwmGetWindowCloaked(WindowHandle window) override;
    std::optional<int> GetToolbarButtonCount(WindowHandle toolbar,
                                             std::uint32_t timeoutMs) override;
    bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(WindowHandle window, int id) override;
    std::uint32_t MapVirtualKeyW(std::uint32_t virtualKey) override;
    std::wstring GetKeyNameTextW(std::int32_t lParam) override;
    MessageBoxResult MessageBoxW(WindowHandle owner, const std::wstring& text,
                                 const std::wstring& caption, MessageBoxKind kind,
                                 MessageBoxButtons buttons) override;
    Point GetCursorPos() override;
    Rect GetPrimaryScreenRect() override;
    Rect GetWorkArea() override;
    MonitorInfo MonitorFromPoint(Point point) override;
    std::optional<std::wstring> GetInputDesktopName() override;
    bool WTSRegisterSessionNotification(WindowHandle window) override;
    void WTSUnRegisterSessionNotification(WindowHandle window) override;
    WindowHandle GetDesktopWindow() override;
    std::uint32_t GetLastInputInfo() override;
    std::uint32_t RegisterWindowMessageW(const std::wstring& name) override;
    void LockWorkStation(ProcAddress entry) override;
};

class Win32Kernel final : public IKernel {
  public:
    std::uint32_t GetTickCount() override;
    OsVersion GetVersionExW() override;
    ProcessId GetCurrentProcessId() override;
    std::uint32_t GetCurrentThreadId() override;
    std::wstring GetModuleFileNameW() override;
    std::vector<std::wstring> GetCommandLineArgs() override;
    MutexResult CreateMutexW(const std::wstring& name) override;
    std::wstring GetProcessImageFileNameW(ProcessId pid) override;
    std::wstring QueryDosDeviceW(const std::wstring& drive) override;
    void TerminateProcess(ProcessId pid) override;
    std::optional<std::uint64_t> GetProcessCreationTime(ProcessId pid) override;
    std::optional<std::uint32_t> ProcessIdToSessionId(ProcessId pid) override;
    std::optional<std::wstring> GetProcessUserSid(ProcessId pid) override;
    bool FileExists(const std::wstring& path) override;
    std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) override;
    void ReplaceFileContents(const std::wstring& path,
                             const std::vector<std::uint8_t>& bytes) override;
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
    ModuleHandle LoadLibraryW(const std::wstring& name) override;
    ProcAddress GetProcAddress(ModuleHandle module, const std::string& name) override;
    void FreeLibrary(ModuleHandle module) override;

  private:
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    // The single-instance mutexes stay owned for as long as the program runs.
    std::vector<std::unique_ptr<void, HandleCloser>> m_mutexes;
};

class Win32Shell final : public IShell {
  public:
    std::wstring SHGetSpecialFolderPathW(int csidl) override;
    void ShellExecuteW(const std::wstring& verb, const std::wstring& file,
                       const std::wstring& parameters, const std::wstring& directory,
                       int showCmd) override;
    IconHandle GetFileIcon(const std::wstring& path, bool small) override;
    void DestroyIcon(IconHandle icon) override;
    std::optional<std::wstring> GetOpenFileNameW(WindowHandle owner, const std::wstring& filter,
                                                 const std::wstring& defaultExt) override;
};

class Win32Registry final : public IRegistry {
  public:
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
};

class Win32Profile final : public IProfile {
  public:
    std::wstring GetPrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                          const std::wstring& defaultValue,
                                          const std::wstring& file) override;
    bool WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& value, const std::wstring& file) override;
};

class Win32Wmi final : public IWmi {
  public:
    bool CoInitialize() override;
    void CoUninitialize() override;
    std::optional<std::wstring> QueryOperatingSystemVersion(std::uint32_t timeoutMs) override;
};

class Win32Crypto final : public ICrypto {
  public:
    std::vector<std::uint8_t> GenRandom(std::size_t count) override;
    std::vector<std::uint8_t> Pbkdf2Sha256(const std::vector<std::uint8_t>& password,
                                           const std::vector<std::uint8_t>& salt,
                                           std::uint32_t iterations,
                                           std::size_t keyLength) override;
};

class Win32Wallpaper final : public IWallpaper {
  public:
    bool ActiveDesktopEnabled() override;
    std::optional<std::wstring> GetActiveDesktopWallpaper() override;
    void SetActiveDesktopWallpaper(const std::wstring& path) override;
    void SetDeskWallpaper(const std::wstring& path) override;
};

class Win32Audio final : public IAudio {
  public:
    std::optional<EndpointVolume> GetMasterVolume(const std::wstring& endpointId) override;
    bool SetMasterVolumeLevelScalar(const std::wstring& endpointId, float scalar) override;
    void SetMute(const std::wstring& endpointId, bool muted) override;
    void PlaySoundW(const std::wstring& path) override;
    std::wstring GetWindowsDirectoryW() override;
};

class Win32Display final : public IDisplay {
  public:
    bool EnumDisplaySettingsW(std::int32_t modeNumber, DisplayMode& mode) override;
    std::int32_t ChangeDisplaySettingsW(const DisplayMode& mode, std::uint32_t flags) override;
};

class Win32TrayLibrary final : public ITrayLibrary {
  public:
    bool LoadTrayLibrary(const std::wstring& path) override;
    void HideTray(std::int32_t what, const std::string& accessCode) override;
    void RestoreTray() override;

  private:
    struct ModuleFreer {
        void operator()(void* module) const;
    };
    std::unique_ptr<void, ModuleFreer> m_module;
    // The exports, bound only when both are there.
    std::int32_t(__stdcall* m_hideTray)(std::int32_t, const char*) = nullptr;
    void(__stdcall* m_restoreTray)() = nullptr;
};

// shook.dll and the message-only window that receives what it posts.
class Win32HookLibrary final : public IHookLibrary {
  public:
    ~Win32HookLibrary() override;
    std::uint32_t RegisterWindowMessageW(const std::wstring& name) override;
    LoadResult LoadHookLibrary(const std::wstring& path, Receiver receiver) override;
    void UnloadHookLibrary() override;
    void StartWatching(std::uint8_t kind) override;
    void StopWatching(std::uint8_t kind) override;
    bool StillWatching() override;
    void StopAll() override;

    // The receiver window's procedure hands its messages here.
    bool Receive(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

  private:
    struct ModuleFreer {
        void operator()(void* module) const;
    };
    std::unique_ptr<void, ModuleFreer> m_module;
    void* m_receiverWindow = nullptr;
    Receiver m_receiver;
    std::int32_t(__stdcall* m_startWatching)(std::uint32_t) = nullptr;
    std::int32_t(__stdcall* m_stopWatching)(std::uint32_t) = nullptr;
    std::uint32_t(__stdcall* m_stillWatching)() = nullptr;
    std::int32_t(__stdcall* m_stopAll)() = nullptr;
};

// Core Audio's sessions (AudioSessions.cpp). New sessions are told on a thread of Core Audio's;
// a message-only window brings the news to the thread that asked for it.
class Win32AudioSessions final : public IAudioSessions {
  public:
    Win32AudioSessions();
    ~Win32AudioSessions() override;
    std::vector<AudioSession> GetAudioSessions() override;
    bool SetAudioSessionMute(const std::wstring& id, bool muted) override;
    void WatchNewAudioSessions(std::function<void()> onCreated) override;

    // The message-only window's procedure hands the news here.
    void SessionCreated();

  private:
    struct Watch;  // the session managers told of new sessions, and the object they tell
    std::unique_ptr<Watch> m_watch;
    void* m_window = nullptr;
    std::function<void()> m_onCreated;
};

// The workers: threads made as jobs need them (up to kMaxWorkers) and kept for the run.
class Win32Workers final : public IWorkers {
  public:
    static constexpr std::size_t kMaxWorkers = 16;
    Win32Workers();
    ~Win32Workers() override;
    void Start(std::vector<std::function<void()>> jobs) override;
    bool WaitForJob(std::size_t index, std::uint32_t deadlineMs) override;
    void WaitForAll() override;

  private:
    struct State;  // the queue, the threads and the jobs' events, behind <windows.h>
    std::unique_ptr<State> m_state;
};

// The whole real platform; it must outlive every Platform handed out by AsPlatform().
class Win32Platform {
  public:
    Platform AsPlatform() {
        return Platform{m_windows, m_kernel, m_shell,   m_registry, m_profile, m_wmi,
                        m_crypto,  m_display, m_wallpaper, m_audio,  m_tray,
                        m_hooks,   m_audioSessions, m_workers};
    }

  private:
    Win32WindowManager m_windows;
    Win32Kernel m_kernel;
    Win32Shell m_shell;
    Win32Registry m_registry;
    Win32Profile m_profile;
    Win32Wmi m_wmi;
    Win32Crypto m_crypto;
    Win32Display m_display;
    Win32Wallpaper m_wallpaper;
    Win32Audio m_audio;
    Win32TrayLibrary m_tray;
    Win32HookLibrary m_hooks;
    Win32AudioSessions m_audioSessions;
    Win32Workers m_workers;
};

}  // namespace nv
