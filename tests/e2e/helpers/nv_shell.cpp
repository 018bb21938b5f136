// Test helper: builds the shell's window trees that Wine does not have, and keeps them until it
// is ended. "--progman": Progman "Program Manager" > SHELLDLL_DefView > SysListView32
// "FolderView". "--workerw": a raised desktop: Progman with nothing in it, an empty WorkerW
// and the WorkerW that holds the SHELLDLL_DefView and its "FolderView". "--emptyworkerw": a
// top-level WorkerW with nothing in it; "--workerwchild": a WorkerW child of the Progman made
// before (Windows 11 24H2). "--tray": Shell_TrayWnd > TrayNotifyWnd > a ToolbarWindow32, a
// SysPager > ToolbarWindow32, and a TrayClockWClass, and an open NotifyIconOverflowWindow; its
// toolbars hold two buttons each, "--newtray" makes the same tree with none (the taskbar of
// Windows 11 draws the icons itself). "--secondary": a Shell_SecondaryTrayWnd, the taskbar of a
// further monitor. The lists and toolbars are plain windows of those classes.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>

namespace {

int g_buttons = 0;  // what the tray's toolbars say they hold

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == TB_BUTTONCOUNT) return g_buttons;
    return DefWindowProcW(h, msg, w, l);
}

HWND Make(const wchar_t* className, const wchar_t* title, HWND parent, DWORD exStyle, int x, int y,
          int w, int h) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);  // a second registration of a class fails harmlessly
    DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP;
    HWND window = CreateWindowExW(exStyle, className, title, style, x, y, w, h, parent, nullptr,
                                  wc.hInstance, nullptr);
    if (!parent) ShowWindow(window, SW_SHOWNA);
    return window;
}

void IconView(HWND host) {
    HWND view = Make(L"SHELLDLL_DefView", L"", host, 0, 0, 0, 200, 150);
    Make(L"SysListView32", L"FolderView", view, WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, 0, 0, 200,
         150);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    HWND progman = nullptr;
    int secondaries = 0;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--progman") {
            progman = Make(L"Progman", L"Program Manager", nullptr, 0, 600, 400, 200, 150);
            IconView(progman);
        } else if (arg == L"--workerw") {
            progman = Make(L"Progman", L"Program Manager", nullptr, 0, 600, 400, 200, 150);
            IconView(Make(L"WorkerW", L"", nullptr, 0, 820, 400, 200, 150));
            Make(L"WorkerW", L"", nullptr, 0, 820, 560, 200, 150);  // above the other
        } else if (arg == L"--emptyworkerw") {
            Make(L"WorkerW", L"", nullptr, 0, 820, 400, 200, 150);
        } else if (arg == L"--workerwchild" && progman) {
            Make(L"WorkerW", L"", progman, 0, 0, 0, 200, 150);
        } else if (arg == L"--tray" || arg == L"--newtray") {
            g_buttons = arg == L"--tray" ? 2 : 0;
            HWND taskbar = Make(L"Shell_TrayWnd", L"", nullptr, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0,
                                740, 1000, 28);
            HWND notify = Make(L"TrayNotifyWnd", L"", taskbar, 0, 700, 0, 300, 28);
            Make(L"ToolbarWindow32", L"", notify, 0, 0, 0, 40, 28);
            HWND pager = Make(L"SysPager", L"", notify, 0, 40, 0, 160, 28);
            Make(L"ToolbarWindow32", L"Notification Area", pager, 0, 0, 0, 160, 28);
            Make(L"TrayClockWClass", L"12:00", notify, 0, 200, 0, 100, 28);
            Make(L"NotifyIconOverflowWindow", L"", nullptr, WS_EX_TOOLWINDOW, 800, 600, 120, 80);
        } else if (arg == L"--secondary") {
            Make(L"Shell_SecondaryTrayWnd", L"", nullptr, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0,
                 700 - 32 * secondaries++, 1000, 28);
        }
    }
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
