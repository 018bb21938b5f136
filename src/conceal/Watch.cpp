#include "conceal/Watch.h"

#include <utility>

#include "widgets/Application.h"

namespace nv {

namespace {
constexpr std::uint32_t kWmLButtonDown = 0x201;
constexpr std::uint32_t kWmRButtonDown = 0x204;
constexpr std::uint32_t kWmMButtonDown = 0x207;
// The title is read through a buffer of 300 characters.
constexpr int kTitleBuffer = 300;
}  // namespace

TWatch::TWatch(Platform& platform, TApplication& app, std::wstring libraryPath,
               std::function<WindowHandle()> applicationWindow)
    : m_platform(platform),
      m_app(app),
      m_libraryPath(std::move(libraryPath)),
      m_applicationWindow(std::move(applicationWindow)) {
    IHookLibrary& hooks = m_platform.hooks;
    m_sysCommandMsg = hooks.RegisterWindowMessageW(L"MY_SYSCOMMAND_EVENT");
    m_shellMsg = hooks.RegisterWindowMessageW(L"MY_SHELL_EVENT");
    m_keyMsg = hooks.RegisterWindowMessageW(L"MY_KEY_EVENT");
    m_keyLLMsg = hooks.RegisterWindowMessageW(L"MY_KEY_EVENT_LL");
    m_mouseMsg = hooks.RegisterWindowMessageW(L"MY_MOUSE_EVENT");
}

TWatch::~TWatch() {
    if (m_loaded) m_platform.hooks.StopAll();
    UnloadHookLibrary();
}

// ---------------------------------------------------------------------------------------------
// Handlers and the library

template <typename Handler>
void TWatch::Assign(Handler& slot, Handler handler, std::uint8_t kind) {
    bool had = static_cast<bool>(slot);
    slot = std::move(handler);
    bool has = static_cast<bool>(slot);
    // Starting a kind again for an event that already watches it would leave the library one
    // start ahead of the stops: it counts them per kind, and would never let go.
    if (had != has) UpdateWatching(has, kind);
}

void TWatch::SetOnActivateShellWindow(TShellEvent h) {
    Assign(m_onActivateShellWindow, std::move(h), kHookShell);
}
void TWatch::SetOnWindowActivated(TShellEvent h) {
    Assign(m_onWindowActivated, std::move(h), kHookShell);
}
void TWatch::SetOnWindowCreated(TShellEvent h) {
    Assign(m_onWindowCreated, std::move(h), kHookShell);
}
void TWatch::SetOnWindowDestroyed(TShellEvent h) {
    Assign(m_onWindowDestroyed, std::move(h), kHookShell);
}
void TWatch::SetOnWindowCloseQuery(TShellEvent h) {
    Assign(m_onWindowCloseQuery, std::move(h), kHookCloseQuery);
}
void TWatch::SetOnKeyNative(TKeyNativeEvent h) {
    Assign(m_onKeyNative, std::move(h), kHookKeyboard);
}
void TWatch::SetOnKeyNativeLL(TKeyNativeEventLL h) {
    Assign(m_onKeyNativeLL, std::move(h), kHookKeyboardLL);
}
void TWatch::SetOnMouseClick(TMouseEvent h) { Assign(m_onMouseClick, std::move(h), kHookMouse); }
void TWatch::SetOnMouseMove(TMouseMoveEvent h) { Assign(m_onMouseMove, std::move(h), kHookMouse); }

void TWatch::UpdateWatching(bool enable, std::uint8_t kind) {
    IHookLibrary& hooks = m_platform.hooks;
    if (enable) {
        LoadHookLibrary();
        if (m_loaded) hooks.StartWatching(kind);
    } else if (m_loaded) {
        hooks.StopWatching(kind);
        if (!hooks.StillWatching()) UnloadHookLibrary();
    }
}

void TWatch::LoadHookLibrary() {
    if (m_disabled || m_loaded) return;
    auto result = m_platform.hooks.LoadHookLibrary(
        m_libraryPath, [this](std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
            return WatchWndProc(msg, wParam, lParam);
        });
    if (result == IHookLibrary::LoadResult::Loaded) {
        m_loaded = true;
        return;
    }
    // The platform holds nothing of a failed load. Only the watch stays idle from now on.
    m_disabled = true;
    m_app.MessageBox(result == IHookLibrary::LoadResult::NotFound
                         ? L"Library not found.\r\nApplication is disabled."
                         : L"Library is not valid.\r\nApplication is disabled.",
                     MessageBoxKind::Error);
}

void TWatch::UnloadHookLibrary() {
    if (!m_loaded) return;
    m_platform.hooks.UnloadHookLibrary();
    m_loaded = false;
}

// ---------------------------------------------------------------------------------------------
// The receiver window

bool TWatch::WatchWndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    // Raised through the error boundary: a handler that fails is reported, and the messages
    // after it are still handled.
    if (msg == m_sysCommandMsg) {
        if (m_onWindowCloseQuery)
            m_app.Dispatch([&] { m_onWindowCloseQuery(*this, WindowHandle(wParam), L""); });
    } else if (msg == m_shellMsg) {
        m_app.Dispatch([&] { ShellDispatch(lParam, WindowHandle(wParam)); });
    } else if (msg == m_keyMsg) {
        if (m_onKeyNative)
            m_app.Dispatch([&] {
                m_onKeyNative(*this, static_cast<std::int32_t>(wParam),
                              static_cast<std::int32_t>(lParam));
            });
    } else if (msg == m_keyLLMsg) {
        if (m_onKeyNativeLL)
            m_app.Dispatch([&] {
                m_onKeyNativeLL(*this, static_cast<std::int32_t>(wParam),
                                static_cast<std::int32_t>(lParam));
            });
    } else if (msg == m_mouseMsg) {
        m_app.Dispatch([&] { MouseDispatch(wParam); });
    } else {
        return false;
    }
    return true;
}

void TWatch::ShellDispatch(std::intptr_t code, WindowHandle handle) {
    if (!NotifyOwnEvents && m_applicationWindow) {
        WindowHandle own = m_applicationWindow();
        if (own != 0 && handle == own) return;
    }
    // A window that is gone by now reads as an empty title.
    std::wstring appName = m_platform.windows.InternalGetWindowText(handle, kTitleBuffer);
    switch (code) {
        case kShellWindowCreated:
            if (m_onWindowCreated) m_onWindowCreated(*this, handle, appName);
            break;
        case kShellWindowDestroyed:
            if (m_onWindowDestroyed) m_onWindowDestroyed(*this, handle, appName);
            break;
        case kShellShellWindowActivated:
            if (m_onActivateShellWindow) m_onActivateShellWindow(*this, handle, appName);
            break;
        case kShellWindowActivated:
            if (m_onWindowActivated) {
                bool repeated = !RepeatedEvents && appName == m_lastActivatedTitle;
                m_lastActivatedTitle = appName;
                if (!repeated) m_onWindowActivated(*this, handle, appName);
            }
            break;
        default:
            break;
    }
}

void TWatch::MouseDispatch(std::uintptr_t message) {
    TMouseButton button;
    switch (message) {
        case kWmLButtonDown:
            button = TMouseButton::Left;
            break;
        case kWmRButtonDown:
            button = TMouseButton::Right;
            break;
        case kWmMButtonDown:
            button = TMouseButton::Middle;
            break;
        default:
            return;
    }
    if (!m_onMouseClick) return;
    // The message carries no position: the click is placed where the pointer is now.
    Point at = m_platform.windows.GetCursorPos();
    m_onMouseClick(*this, at.x, at.y, button);
}

}  // namespace nv
