#include "conceal/WindowSteps.h"

namespace nv {

bool WindowAnswers(IWindowManager& windows, WindowHandle window) {
    return windows.SendMessageTimeoutW(window, kWmNull, 0, 0, kAnswerTimeoutMs);
}

void ConcealWindow(IWindowManager& windows, WindowHandle window) {
    if (!WindowAnswers(windows, window)) {
        // Its extended style stays as it is, so the show needs no style write either.
        windows.ShowWindowAsync(window, ShowCmd::Hide);
        return;
    }
    windows.SetWindowExStyle(window, windows.GetWindowExStyle(window) & kWsExToolWindow);
    windows.PostMessageW(window, kWmPaint, 0, 0);
    windows.ShowWindow(window, ShowCmd::Hide);
    windows.SendMessageTimeoutW(window, kWmNull, 0, 0, kHideSettleTimeoutMs);
}

void RevealWindow(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle) {
    if (!WindowAnswers(windows, window)) {
        windows.ShowWindowAsync(window, ShowCmd::ShowNA);
        return;
    }
    // Reading the style does not involve the window's thread; writing it does.
    if (windows.GetWindowExStyle(window) != exStyle) windows.SetWindowExStyle(window, exStyle);
    windows.ShowWindow(window, ShowCmd::ShowNA);
}

void BringWindowToFront(IWindowManager& windows, WindowHandle window, WindowHandle mainWindow) {
    if (window == mainWindow || !windows.IsWindow(window)) return;
    // Without this, Windows only flashes the taskbar button of a window we bring forward.
    windows.SetForegroundLockTimeout(0);
    windows.SetForegroundWindow(window);
}

void TerminateWindowOwner(Platform& platform, WindowHandle window) {
    ProcessId pid = platform.windows.GetWindowThreadProcessId(window);
    if (pid == 0 || pid == platform.kernel.GetCurrentProcessId()) return;
    platform.kernel.TerminateProcess(pid);
}

}  // namespace nv
