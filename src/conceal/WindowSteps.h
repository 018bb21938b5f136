// The single-window steps of concealment: hide one window, show it again, make one the
// foreground window, end the program that owns one. Used by the hide/restore cycle and by the
// shell concealment.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace nv {

// How long a window gets to answer before it is treated as not answering. Under Wine and
// Windows a thread only counts as hung after seconds without pumping, so this is our own limit.
constexpr std::uint32_t kAnswerTimeoutMs = 150;
// How long the hide waits for a window's thread to have handled its hide.
constexpr std::uint32_t kHideSettleTimeoutMs = 1000;

// Whether the window's thread answers a WM_NULL within kAnswerTimeoutMs.
bool WindowAnswers(IWindowManager& windows, WindowHandle window);

// Hides a window. One that answers gets its extended style cut down to WS_EX_TOOLWINDOW, a
// paint, ShowWindow(SW_HIDE) and a WM_NULL round trip so its thread has handled the hide before
// we go on. One that does not answer is hidden with ShowWindowAsync only: SetWindowLongW and
// ShowWindow would wait for its thread, and one stuck window must not hold the whole cycle.
void ConcealWindow(IWindowManager& windows, WindowHandle window);

// Shows a window again in its current state and place, without activating it, and puts back
// the extended style it had when it was listed. A window that does not answer is shown with
// ShowWindowAsync; its style is written only when it differs and the window answers.
void RevealWindow(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle);

// Makes a window the foreground window (not the main window, and only a window that exists).
void BringWindowToFront(IWindowManager& windows, WindowHandle window, WindowHandle mainWindow);

// Ends the process that owns a window. Never this program's own process.
void TerminateWindowOwner(Platform& platform, WindowHandle window);

}  // namespace nv
