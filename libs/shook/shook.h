// shook.dll, the hook library of Nivora's window watch: tells the program, through messages
// posted to its receiver window, of top-level windows of other programs becoming visible, being
// destroyed and being activated.
//
// SetReceiver(window) names the window to post to. StartWatching(kind) and StopWatching(kind)
// start and stop one hook kind (only the lowest byte of the argument counts); starts are counted
// per kind, so a kind is watched until it has been stopped as often as it was started.
// StillWatching() is 1 while some kind started is not stopped, else 0. StopAll() stops every
// kind. All use the stdcall convention and are exported under these undecorated names.
//
// Kind 0, the shell events, posts "MY_SHELL_EVENT" (a registered message) with the window in
// wParam and the code in lParam: 1 when a top-level window becomes visible (not when it is
// created: a window is usually created invisible and shown later), 2 when such a window is
// destroyed, 3 when the shell's desktop window is activated, 4 when another window is. Codes 2,
// 3 and 4 come from the system's destroy and foreground events; Wine sends neither, and there a
// destroyed window is reported only when it was never shown (the polling below notices it).
// The events come from out-of-context window events (SetWinEventHook) on a thread of the
// library's own: no code of ours runs inside other programs, and 32-bit programs are seen as
// well as 64-bit ones. A window that is created invisible is kept on a short list and looked at
// every 10 ms (every 250 ms after its first two seconds) until it is shown or gone, since some
// systems (Wine) never send the show event. Windows of the program that loaded the library are
// not reported: they appear at its user's request.
//
// Kinds 1 (keys), 4 (mouse) and 6 (low-level keys) are accepted, counted and watch nothing: a
// system-wide key and mouse hook that no part of the program reads would only be a risk in a
// privacy tool. Kind 8 (a window asked to close) is accepted and watches nothing too: no
// out-of-context event tells of it, and catching it would mean running code inside every
// program.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

int __stdcall SetReceiver(HWND receiver);
int __stdcall StartWatching(DWORD kind);
int __stdcall StopWatching(DWORD kind);
int __stdcall StillWatching(void);
int __stdcall StopAll(void);

#ifdef __cplusplus
}
#endif
