#include "nvatray.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

// Where a hidden window sat, so that a restarted Explorer's window in its place can be found.
constexpr int kDirect = -1;    // a toolbar straight under TrayNotifyWnd
constexpr int kOverflow = -2;  // the overflow panel, a top-level window

struct THidden {
    HWND window;
    int pager;  // which SysPager under TrayNotifyWnd, or kDirect, or kOverflow
    int index;  // which toolbar in its parent
};

std::vector<THidden> g_hidden;  // what HideTray hid and RestoreTray has not shown yet

HWND TrayNotify() {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar ? ::FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr) : nullptr;
}

// The n-th child of a class, or null.
HWND NthChild(HWND parent, const wchar_t* className, int n) {
    HWND child = nullptr;
    for (int i = 0; i <= n; ++i)
        if (!(child = ::FindWindowExW(parent, child, className, nullptr))) return nullptr;
    return child;
}

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t name[64] = {};
    return ::GetClassNameW(window, name, 64) > 0 && std::wcscmp(name, className) == 0;
}

void HideIfShowing(HWND window, int pager, int index) {
    // A window hidden already is not ours to show later. Its own style bit tells, not whether it
    // can be seen: the taskbar around it may be hidden too.
    if (!(::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE)) return;
    ::ShowWindowAsync(window, SW_HIDE);
    g_hidden.push_back({window, pager, index});
}

void HideToolbars(HWND parent, int pager) {
    int index = 0;
    for (HWND bar = ::FindWindowExW(parent, nullptr, L"ToolbarWindow32", nullptr); bar;
         bar = ::FindWindowExW(parent, bar, L"ToolbarWindow32", nullptr))
        HideIfShowing(bar, pager, index++);
}

// The window to show again for one that was hidden: itself while it lives, otherwise the toolbar
// in its place in today's tray.
HWND StillThere(const THidden& hidden) {
    const wchar_t* className =
        hidden.pager == kOverflow ? L"NotifyIconOverflowWindow" : L"ToolbarWindow32";
    if (::IsWindow(hidden.window) && HasClass(hidden.window, className)) return hidden.window;
    if (hidden.pager == kOverflow) return nullptr;
    HWND notify = TrayNotify();
    if (!notify) return nullptr;
    HWND parent = hidden.pager == kDirect ? notify : NthChild(notify, L"SysPager", hidden.pager);
    return parent ? NthChild(parent, L"ToolbarWindow32", hidden.index) : nullptr;
}

}  // namespace

extern "C" int __stdcall HideTray(int what, const char* accessCode) {
    if (what != 1 || !accessCode || std::strcmp(accessCode, "739402") != 0) return 0;
    if (HWND notify = TrayNotify()) {
        HideToolbars(notify, kDirect);
        int pager = 0;
        for (HWND pagerWindow = ::FindWindowExW(notify, nullptr, L"SysPager", nullptr); pagerWindow;
             pagerWindow = ::FindWindowExW(notify, pagerWindow, L"SysPager", nullptr))
            HideToolbars(pagerWindow, pager++);
    }
    if (HWND overflow = ::FindWindowW(L"NotifyIconOverflowWindow", nullptr))
        HideIfShowing(overflow, kOverflow, 0);
    return 1;
}

extern "C" void __stdcall RestoreTray(void) {
    for (const THidden& hidden : g_hidden)
        if (HWND window = StillThere(hidden)) ::ShowWindowAsync(window, SW_SHOWNA);
    g_hidden.clear();
}
