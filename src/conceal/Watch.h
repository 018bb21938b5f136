// The window watch: system-wide events reported by the hook library shook.dll, which posts window
// messages to a hidden receiver window; the watch turns them into events of its own. The library
// is loaded from the program's folder only while some event has a handler, and a failed load
// disables the watch for good, with one message to the user. The rest of the program never
// depends on it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"

namespace nv {

class TApplication;
class TWatch;

enum class TMouseButton { Left, Right, Middle };

using TShellEvent =
    std::function<void(TWatch& sender, WindowHandle handle, const std::wstring& appName)>;
using TKeyNativeEvent =
    std::function<void(TWatch& sender, std::int32_t wParam, std::int32_t lParam)>;
using TKeyNativeEventLL = TKeyNativeEvent;
using TMouseEvent =
    std::function<void(TWatch& sender, std::int32_t x, std::int32_t y, TMouseButton button)>;
using TMouseMoveEvent = std::function<void(TWatch& sender, std::int32_t x, std::int32_t y)>;

// Codes of "MY_SHELL_EVENT" (its lParam).
constexpr std::intptr_t kShellWindowCreated = 1;  // a top-level window became visible
constexpr std::intptr_t kShellWindowDestroyed = 2;
constexpr std::intptr_t kShellShellWindowActivated = 3;
constexpr std::intptr_t kShellWindowActivated = 4;

// The hook kinds the library is asked to watch.
constexpr std::uint8_t kHookShell = 0;
constexpr std::uint8_t kHookKeyboard = 1;
constexpr std::uint8_t kHookMouse = 4;
constexpr std::uint8_t kHookKeyboardLL = 6;
constexpr std::uint8_t kHookCloseQuery = 8;

class TWatch {
  public:
    // libraryPath: the full path of shook.dll. applicationWindow: the window of the program
    // whose events are dropped unless NotifyOwnEvents is set (none when empty or 0).
    TWatch(Platform& platform, TApplication& app, std::wstring libraryPath,
           std::function<WindowHandle()> applicationWindow = {});
    ~TWatch();
    TWatch(const TWatch&) = delete;
    TWatch& operator=(const TWatch&) = delete;

    // When false, shell events about the program's application window are dropped.
    bool NotifyOwnEvents = false;
    // When false, OnWindowActivated is not raised twice in a row for the same title.
    bool RepeatedEvents = false;

    // The nine events. Giving an event a handler starts its hook kind, taking it away stops it;
    // giving one that has a handler another handler changes nothing in the library, so each
    // kind is started once per event that uses it.
    void SetOnActivateShellWindow(TShellEvent handler);
    void SetOnWindowActivated(TShellEvent handler);
    void SetOnWindowCreated(TShellEvent handler);
    void SetOnWindowDestroyed(TShellEvent handler);
    void SetOnWindowCloseQuery(TShellEvent handler);
    void SetOnKeyNative(TKeyNativeEvent handler);
    void SetOnKeyNativeLL(TKeyNativeEventLL handler);
    void SetOnMouseClick(TMouseEvent handler);
    void SetOnMouseMove(TMouseMoveEvent handler);

    bool Loaded() const { return m_loaded; }
    bool Disabled() const { return m_disabled; }

    // The receiver window's message handler: true for the five messages of the library.
    bool WatchWndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

  private:
    template <typename Handler>
    void Assign(Handler& slot, Handler handler, std::uint8_t kind);
    void UpdateWatching(bool enable, std::uint8_t kind);
    void LoadHookLibrary();
    void UnloadHookLibrary();
    void ShellDispatch(std::intptr_t code, WindowHandle handle);
    void MouseDispatch(std::uintptr_t message);

    Platform& m_platform;
    TApplication& m_app;
    std::wstring m_libraryPath;
    std::function<WindowHandle()> m_applicationWindow;
    bool m_loaded = false;
    bool m_disabled = false;
    // Registered numbers of "MY_SYSCOMMAND_EVENT", "MY_SHELL_EVENT", "MY_KEY_EVENT",
    // "MY_KEY_EVENT_LL", "MY_MOUSE_EVENT".
    std::uint32_t m_sysCommandMsg = 0;
    std::uint32_t m_shellMsg = 0;
    std::uint32_t m_keyMsg = 0;
    std::uint32_t m_keyLLMsg = 0;
    std::uint32_t m_mouseMsg = 0;
    std::wstring m_lastActivatedTitle;

    TShellEvent m_onActivateShellWindow;
    TShellEvent m_onWindowActivated;
    TShellEvent m_onWindowCreated;
    TShellEvent m_onWindowDestroyed;
    TShellEvent m_onWindowCloseQuery;
    TKeyNativeEvent m_onKeyNative;
    TKeyNativeEventLL m_onKeyNativeLL;
    TMouseEvent m_onMouseClick;
    TMouseMoveEvent m_onMouseMove;
};

}  // namespace nv
