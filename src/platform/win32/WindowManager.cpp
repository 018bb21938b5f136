// user32: the window walk, window state, messages, hotkeys, key names, message boxes, screen.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <commctrl.h>
#include <wtsapi32.h>

#include <algorithm>
#include <optional>

#include "platform/win32/SystemLibraries.h"
#include "platform/win32/Win32Platform.h"

namespace nv {

using win32::FromHwnd;
using win32::ToHwnd;

namespace {

// A text read through a buffer of maxChars characters, terminator included.
template <typename Read>
std::wstring ReadText(int maxChars, Read read) {
    if (maxChars <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(maxChars), L'\0');
    int length = read(buffer.data(), maxChars);
    if (length <= 0) return {};
    buffer.resize(static_cast<std::size_t>(std::min(length, maxChars - 1)));
    return buffer;
}

UINT MessageBoxIcon(MessageBoxKind kind) {
    switch (kind) {
        case MessageBoxKind::Warning:
            return MB_ICONWARNING;
        case MessageBoxKind::Error:
            return MB_ICONERROR;
        case MessageBoxKind::Information:
            return MB_ICONINFORMATION;
        case MessageBoxKind::Plain:
            break;
    }
    return 0;
}

PCWSTR TaskDialogIcon(MessageBoxKind kind) {
    switch (kind) {
        case MessageBoxKind::Warning:
            return TD_WARNING_ICON;
        case MessageBoxKind::Error:
            return TD_ERROR_ICON;
        case MessageBoxKind::Information:
            return TD_INFORMATION_ICON;
        case MessageBoxKind::Plain:
            break;
    }
    return nullptr;
}

// An export of a system library that older Windows lacks, looked up once for the run. The
// library is taken from the system folder only, never from the program's or the current one.
template <typename Fn>
Fn SystemExport(const wchar_t* library, const char* name) {
    HMODULE module = win32::LoadSystemLibrary(library);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                  : nullptr;
}

// Windows has no message box with exactly Yes and Cancel; the task dialog of common controls 6
// has. It is looked up at run time so that a system without it still gets a box (Yes and No,
// where No stands for Cancel).
std::optional<MessageBoxResult> AskYesCancelWithTaskDialog(HWND owner, const std::wstring& text,
                                                           const std::wstring& caption,
                                                           MessageBoxKind kind) {
    using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    // The program imports common controls 6 through its manifest: it is loaded already.
    HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
    if (!comctl) return std::nullopt;
    auto taskDialog = reinterpret_cast<TaskDialogIndirectFn>(
        reinterpret_cast<void*>(::GetProcAddress(comctl, "TaskDialogIndirect")));
    if (!taskDialog) return std::nullopt;

    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = caption.c_str();
    config.pszContent = text.c_str();
    config.pszMainIcon = TaskDialogIcon(kind);
    config.nDefaultButton = IDYES;
    int button = 0;
    if (FAILED(taskDialog(&config, &button, nullptr, nullptr))) return std::nullopt;
    // Closing the box or pressing Escape is a Cancel.
    return button == IDYES ? MessageBoxResult::Yes : MessageBoxResult::Cancel;
}

}  // namespace

WindowHandle Win32WindowManager::GetTopWindow() { return FromHwnd(::GetTopWindow(nullptr)); }

WindowHandle Win32WindowManager::GetNextWindow(WindowHandle window) {
    return FromHwnd(::GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

std::wstring Win32WindowManager::InternalGetWindowText(WindowHandle window, int maxChars) {
    return ReadText(maxChars, [&](wchar_t* buffer, int size) {
        return ::InternalGetWindowText(ToHwnd(window), buffer, size);
    });
}

std::wstring Win32WindowManager::GetClassNameW(WindowHandle window, int maxChars) {
    return ReadText(maxChars, [&](wchar_t* buffer, int size) {
        return ::GetClassNameW(ToHwnd(window), buffer, size);
    });
}

// Only the two styles are wanted: reading them alone costs half of what GetWindowInfo does,
// which also works out the window's rectangles (measured under Wine), and a listing asks
// every top-level window.
bool Win32WindowManager::GetWindowStyles(WindowHandle window, WindowStyles& styles) {
    HWND hwnd = ToHwnd(window);
    ::SetLastError(ERROR_SUCCESS);
    LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    if (style == 0 && ::GetLastError() != ERROR_SUCCESS) return false;
    styles.style = static_cast<std::uint32_t>(style);
    styles.exStyle = static_cast<std::uint32_t>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
    return true;
}

ProcessId Win32WindowManager::GetWindowThreadProcessId(WindowHandle window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(ToHwnd(window), &pid);
    return pid;
}

std::uint32_t Win32WindowManager::GetWindowThreadAndProcessId(WindowHandle window, ProcessId& pid) {
    DWORD id = 0;
    DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &id);
    pid = id;
    return thread;
}

std::uint32_t Win32WindowManager::GetWindowExStyle(WindowHandle window) {
    return static_cast<std::uint32_t>(::GetWindowLongW(ToHwnd(window), GWL_EXSTYLE));
}

void Win32WindowManager::SetWindowExStyleAndWait(WindowHandle window, std::uint32_t exStyle) {
    ::SetWindowLongW(ToHwnd(window), GWL_EXSTYLE, static_cast<LONG>(exStyle));
}

bool Win32WindowManager::PostMessageW(WindowHandle window, std::uint32_t msg, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return ::PostMessageW(ToHwnd(window), msg, wParam, lParam) != FALSE;
}

bool Win32WindowManager::ShowWindowAndWait(WindowHandle window, int showCmd) {
    return ::ShowWindow(ToHwnd(window), showCmd) != FALSE;
}

bool Win32WindowManager::ShowWindowAsync(WindowHandle window, int showCmd) {
    return ::ShowWindowAsync(ToHwnd(window), showCmd) != FALSE;
}

void Win32WindowManager::SetWindowPosAndWait(WindowHandle window, WindowHandle insertAfter) {
    ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

bool Win32WindowManager::SendMessageTimeoutW(WindowHandle window, std::uint32_t msg,
                                             std::uintptr_t wParam, std::intptr_t lParam,
                                             std::uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(ToHwnd(window), msg, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                                 &result) != 0;
}

WindowHandle Win32WindowManager::FindWindowW(const std::wstring& className,
                                             const std::wstring& title) {
    return FromHwnd(::FindWindowW(win32::OrNull(className), win32::OrNull(title)));
}

WindowHandle Win32WindowManager::FindWindowExW(WindowHandle parent, WindowHandle after,
                                               const std::wstring& className,
                                               const std::optional<std::wstring>& title) {
    return FromHwnd(::FindWindowExW(ToHwnd(parent), ToHwnd(after), win32::OrNull(className),
                                    title ? title->c_str() : nullptr));
}

WindowHandle Win32WindowManager::GetForegroundWindow() { return FromHwnd(::GetForegroundWindow()); }

bool Win32WindowManager::SetForegroundWindow(WindowHandle window) {
    return ::SetForegroundWindow(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::IsWindow(WindowHandle window) {
    return ::IsWindow(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::IsIconic(WindowHandle window) {
    return ::IsIconic(ToHwnd(window)) != FALSE;
}

bool Win32WindowManager::IsWindowVisible(WindowHandle window) {
    return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

WindowHandle Win32WindowManager::GetShellWindow() { return FromHwnd(::GetShellWindow()); }

std::uint32_t Win32WindowManager::DwmGetWindowCloaked(WindowHandle window) {
    using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
    static auto getAttribute =
        SystemExport<DwmGetWindowAttributeFn>(L"dwmapi.dll", "DwmGetWindowAttribute");
    constexpr DWORD kDwmwaCloaked = 14;
    DWORD cloaked = 0;
    if (!getAttribute ||
        FAILED(getAttribute(ToHwnd(window), kDwmwaCloaked, &cloaked, sizeof(cloaked))))
        return 0;
    return cloaked;
}

std::optional<int> Win32WindowManager::GetToolbarButtonCount(WindowHandle toolbar,
                                                             std::uint32_t timeoutMs) {
    DWORD_PTR count = 0;
    if (!::SendMessageTimeoutW(ToHwnd(toolbar), TB_BUTTONCOUNT, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                               &count))
        return std::nullopt;
    return static_cast<int>(count);
}

bool Win32WindowManager::RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers,
                                        std::uint32_t virtualKey) {
    return ::RegisterHotKey(ToHwnd(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32WindowManager::UnregisterHotKey(WindowHandle window, int id) {
    return ::UnregisterHotKey(ToHwnd(window), id) != FALSE;
}

std::uint32_t Win32WindowManager::MapVirtualKeyW(std::uint32_t virtualKey) {
    return ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
}

std::wstring Win32WindowManager::GetKeyNameTextW(std::int32_t lParam) {
    wchar_t buffer[256] = {};
    int length = ::GetKeyNameTextW(lParam, buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length)) : std::wstring();
}

MessageBoxResult Win32WindowManager::MessageBoxW(WindowHandle owner, const std::wstring& text,
                                                 const std::wstring& caption, MessageBoxKind kind,
                                                 MessageBoxButtons buttons) {
    HWND hwnd = ToHwnd(owner);
    if (buttons == MessageBoxButtons::Ok) {
        ::MessageBoxW(hwnd, text.c_str(), caption.c_str(), MB_OK | MessageBoxIcon(kind));
        return MessageBoxResult::Ok;
    }
    if (auto answer = AskYesCancelWithTaskDialog(hwnd, text, caption, kind)) return *answer;
    int answer =
        ::MessageBoxW(hwnd, text.c_str(), caption.c_str(), MB_YESNO | MessageBoxIcon(kind));
    return answer == IDYES ? MessageBoxResult::Yes : MessageBoxResult::Cancel;
}

Point Win32WindowManager::GetCursorPos() {
    POINT point{};
    ::GetCursorPos(&point);
    return {point.x, point.y};
}

Rect Win32WindowManager::GetPrimaryScreenRect() {
    return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

Rect Win32WindowManager::GetWorkArea() {
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return GetPrimaryScreenRect();
    return {area.left, area.top, area.right, area.bottom};
}

MonitorInfo Win32WindowManager::MonitorFromPoint(Point point) {
    HMONITOR monitor = ::MonitorFromPoint(POINT{point.x, point.y}, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) return {GetPrimaryScreenRect(), 96};
    MonitorInfo result{{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                        info.rcMonitor.bottom}, 0};
    // Windows 8.1 and later tell each monitor's dpi; before, all share the system's.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static auto getDpi = SystemExport<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    if (getDpi && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &dpiX, &dpiY)) && dpiX > 0)
        result.dpi = static_cast<int>(dpiX);
    if (result.dpi == 0) {
        HDC screen = ::GetDC(nullptr);
        result.dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
    }
    if (result.dpi <= 0) result.dpi = 96;
    return result;
}

std::optional<std::wstring> Win32WindowManager::GetInputDesktopName() {
    HDESK desktop = ::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!desktop) return std::nullopt;
    wchar_t name[256] = {};
    DWORD needed = 0;
    BOOL read = ::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof(name) - sizeof(name[0]),
                                            &needed);
    ::CloseDesktop(desktop);
    if (!read) return std::nullopt;
    return std::wstring(name);
}

bool Win32WindowManager::WTSRegisterSessionNotification(WindowHandle window) {
    return ::WTSRegisterSessionNotification(ToHwnd(window), NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void Win32WindowManager::WTSUnRegisterSessionNotification(WindowHandle window) {
    ::WTSUnRegisterSessionNotification(ToHwnd(window));
}

WindowHandle Win32WindowManager::GetDesktopWindow() { return FromHwnd(::GetDesktopWindow()); }

std::uint32_t Win32WindowManager::GetLastInputInfo() {
    LASTINPUTINFO info{sizeof info, 0};
    return ::GetLastInputInfo(&info) ? info.dwTime : 0;
}

std::uint32_t Win32WindowManager::RegisterWindowMessageW(const std::wstring& name) {
    return ::RegisterWindowMessageW(name.c_str());
}

void Win32WindowManager::LockWorkStation(ProcAddress entry) {
    if (!entry) return;
    using LockWorkStationProc = BOOL(WINAPI*)();
    reinterpret_cast<LockWorkStationProc>(entry)();
}

}  // namespace nv
