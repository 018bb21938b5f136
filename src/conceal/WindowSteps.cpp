#include "conceal/WindowSteps.h"

namespace nv {

bool WindowAnswers(IWindowManager& windows, WindowHandle window, std::uint32_t timeoutMs) {
    return windows.SendMessageTimeoutW(window, kWmNull, 0, 0, timeoutMs);
}

TConcealResult ConcealAnsweringWindow(IWindowManager& windows, WindowHandle window) {
    TConcealResult result;
    windows.SetWindowExStyleAndWait(
        window, windows.GetWindowExStyle(window) & kConcealedExStyle);
    windows.PostMessageW(window, kWmPaint, 0, 0);
    windows.ShowWindowAndWait(window, ShowCmd::Hide);
    result.answered = windows.SendMessageTimeoutW(window, kWmNull, 0, 0, kSettleTimeoutMs);
    return result;
}

void MinimiseIfStillShown(IWindowManager& windows, WindowHandle window, TConcealResult& result) {
    // Reading the visibility does not involve the window's thread; a thread that did not
    // handle the hide in time may still do so.
    if (!result.answered || !windows.IsWindowVisible(window)) return;
    if (!windows.IsIconic(window)) {
        windows.ShowWindowAndWait(window, ShowCmd::ShowMinNoActive);
        result.minimised = windows.IsIconic(window);
    }
    result.onScreen = windows.IsWindowVisible(window) && !windows.IsIconic(window);
}

TConcealResult ConcealWindow(IWindowManager& windows, WindowHandle window) {
    if (WindowAnswers(windows, window, kAnswerTimeoutMs))
        return ConcealAnsweringWindow(windows, window);
    // Its extended style stays as it is, so the show needs no style write either.
    windows.ShowWindowAsync(window, ShowCmd::Hide);
    return {};
}

bool RevealWindow(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle) {
    if (!RestoreExtendedStyle(windows, window, exStyle, kSettleTimeoutMs)) {
        windows.ShowWindowAsync(window, ShowCmd::ShowNA);
        return false;
    }
    windows.ShowWindowAndWait(window, ShowCmd::ShowNA);
    return true;
}

bool RestoreExtendedStyle(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle,
                          std::uint32_t timeoutMs) {
    if (!WindowAnswers(windows, window, timeoutMs)) return false;
    // Reading the style does not involve the window's thread; writing it does.
    if (windows.GetWindowExStyle(window) != exStyle)
        windows.SetWindowExStyleAndWait(window, exStyle);
    return true;
}

void BringWindowToFront(IWindowManager& windows, WindowHandle window, WindowHandle mainWindow) {
    if (window == mainWindow || !windows.IsWindow(window)) return;
    windows.SetForegroundWindow(window);
}

void TerminateWindowOwner(Platform& platform, WindowHandle window) {
    ProcessId pid = platform.windows.GetWindowThreadProcessId(window);
    if (pid == 0 || pid == platform.kernel.GetCurrentProcessId()) return;
    platform.kernel.TerminateProcess(pid);
}

}  // namespace nv
