// nvatray.dll, the tray library of Nivora: hides the icons of the notification area and shows
// them again.
//
// HideTray(1, "739402") hides the notification area's icon toolbars: every ToolbarWindow32 under
// Shell_TrayWnd > TrayNotifyWnd, directly or inside a SysPager, and the overflow panel
// (NotifyIconOverflowWindow); only those not hidden already are hidden and remembered. The clock
// (TrayClockWClass) and the rest of the taskbar are left alone. Any other first argument or
// access code does nothing and returns 0; otherwise the result is 1.
//
// RestoreTray shows again exactly the windows HideTray hid, then forgets them, so a second call
// does nothing. A toolbar whose window is gone (Explorer was restarted) is looked up again at
// the same place in the new tray; a new overflow panel stays closed.
//
// Neither call waits on Explorer: windows are hidden and shown with ShowWindowAsync. Both use the
// stdcall convention and are exported under these undecorated names. Call them from one thread.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

int __stdcall HideTray(int what, const char* accessCode);
void __stdcall RestoreTray(void);

#ifdef __cplusplus
}
#endif
