// The single-window steps of concealment: hide one window, show it again, make one the
// foreground window, end the program that owns one. Used by the hide/restore cycle and by the
// shell concealment.
//
// None of them may wait on another program: a window whose thread has stopped answering would
// hold the cycle for seconds, or for good, with everything hidden and the hotkey dead. A window
// is asked for a timed WM_NULL first; one that does not answer gets only calls that return at
// once (ShowWindowAsync, posted messages).
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace nv {

// How long a window gets to answer before the hide treats it as not answering. Under Wine and
// Windows a thread only counts as hung after seconds without pumping, so this is our own limit.
constexpr std::uint32_t kAnswerTimeoutMs = 150;
// How long the hide waits for a window's thread to have handled its hide, and the restore for a
// window to answer before its style is written: a busy window that answers within it keeps its
// style; a hung one is answered at once by abort-if-hung.
constexpr std::uint32_t kSettleTimeoutMs = 1000;

// Whether the window's thread answers a WM_NULL within timeoutMs.
bool WindowAnswers(IWindowManager& windows, WindowHandle window, std::uint32_t timeoutMs);

// What became of one window's hide.
struct TConcealResult {
    // Its thread handled the hide in time: it answers, and the next window of the same thread
    // needs no question first.
    bool answered = false;
    // It was still visible after the hide and has been minimised instead: the restore brings
    // it back to the size it had.
    bool minimised = false;
    // Neither hidden nor minimised: it is still on screen.
    bool onScreen = false;
};

// Hides a window whose thread has just answered: its extended style cut down to
// WS_EX_TOOLWINDOW and WS_EX_LAYERED (a layered window given that bit again would not be drawn
// until its program set its attributes anew), a paint, ShowWindow(SW_HIDE) and a WM_NULL round
// trip so its thread has handled the hide before we go on.
TConcealResult ConcealAnsweringWindow(IWindowManager& windows, WindowHandle window);
// A program's window still visible after a hide its thread has handled (its program refused,
// or runs with higher rights than ours) is minimised without activation: one more way out of
// sight. Notes in the result what became of it.
void MinimiseIfStillShown(IWindowManager& windows, WindowHandle window, TConcealResult& result);
// Hides a window, asking first whether its thread answers. One that does not is hidden with
// ShowWindowAsync only, its style untouched.
TConcealResult ConcealWindow(IWindowManager& windows, WindowHandle window);

// Shows a window again in its current state and place, without activating it, and puts back
// the extended style it had when it was listed. Returns false when the window did not answer:
// it is shown all the same, and its style is still owed (RestoreExtendedStyle later).
bool RevealWindow(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle);

// Writes a window's extended style if it answers now; false when it still does not.
bool RestoreExtendedStyle(IWindowManager& windows, WindowHandle window, std::uint32_t exStyle,
                          std::uint32_t timeoutMs = kAnswerTimeoutMs);

// Makes a window the foreground window (not the main window, and only a window that exists).
// The key press that started the cycle gives us the right to; nothing is broadcast.
void BringWindowToFront(IWindowManager& windows, WindowHandle window, WindowHandle mainWindow);

// Ends the process that owns a window. Never this program's own process: this is the one place
// that guards it.
void TerminateWindowOwner(Platform& platform, WindowHandle window);

}  // namespace nv
