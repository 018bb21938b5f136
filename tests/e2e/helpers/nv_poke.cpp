// Demo and script helper: acts on Nivora's windows as a user would, from another process.
// WINDOW below is a top-level window of Nivora's process named by its caption or its class
// (the main window is "NV"; "#32768" is an open popup menu, "#32770" a message box).
//   nv_poke wait                     waits until the main window is shown
//   nv_poke hidden                   waits until the main window is hidden
//   nv_poke shown WINDOW             waits until that window is shown
//   nv_poke gone WINDOW              waits until no such window is shown
//   nv_poke click "BUTTON TEXT"      clicks a button of the main window
//   nv_poke click-in WINDOW "TEXT"   clicks a button of that window
//   nv_poke answer "BUTTON TEXT"     clicks a button of the message box shown
//   nv_poke click-beside "TEXT"      clicks the caption-less button beside the edit showing TEXT
//                                    (the mouse-shortcut button beside a hotkey box)
//   nv_poke menu N                   right-clicks the first row of the N-th list view of the main
//                                    window (where an empty list is empty) with the mouse, and
//                                    waits for the menu
//   nv_poke type WINDOW N "TEXT"     puts TEXT into the N-th edit of that window
//   nv_poke keys VK [VK...]          presses the keys (decimal virtual-key codes) together
//   nv_poke rect                     prints WxH+X+Y: the union of Nivora's shown windows
//   nv_poke rect-all                 the same for every shown top-level window on the screen
//   nv_poke quit "TITLE"             ends the program owning the top-level window TITLE
// Every verb that waits gives up after about 10 s and then exits with 1. Before the
// rectangles are measured, every shown window is given time to paint.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {
std::wstring TextOf(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

std::wstring ClassOf(HWND h) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    return cls;
}

HWND MainWindow() {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (TextOf(h) == L"NV" && ClassOf(h) != L"#32770") return h;
    return nullptr;
}

DWORD ProcessOf(HWND h) {
    DWORD pid = 0;
    if (h) GetWindowThreadProcessId(h, &pid);
    return pid;
}

// Top-level windows shown on screen, topmost first: of one process, or of all when pid is 0.
// Tool tips and windows of no size are left out.
std::vector<HWND> ShownWindows(DWORD pid) {
    std::vector<HWND> out;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        RECT r;
        if (!IsWindowVisible(h) || !GetWindowRect(h, &r) || IsRectEmpty(&r)) continue;
        if (pid != 0 && ProcessOf(h) != pid) continue;
        if (ClassOf(h) == L"tooltips_class32") continue;
        out.push_back(h);
    }
    return out;
}

// A shown window of Nivora's process with the given caption or class.
HWND NivoraWindow(const std::wstring& name) {
    DWORD pid = ProcessOf(MainWindow());
    if (pid == 0) return nullptr;
    for (HWND h : ShownWindows(pid))
        if (TextOf(h) == name || ClassOf(h) == name) return h;
    return nullptr;
}

std::wstring Plain(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s)
        if (c != L'&') out += c;
    return out;
}

// The descendants of a window in EnumChildWindows order.
std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> out;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

HWND ChildByText(HWND parent, const std::wstring& text) {
    for (HWND h : Descendants(parent))
        if (Plain(TextOf(h)) == Plain(text)) return h;
    return nullptr;
}

HWND ChildByClass(HWND parent, const std::wstring& cls, int n) {
    for (HWND h : Descendants(parent))
        if (ClassOf(h) == cls && n-- == 0) return h;
    return nullptr;
}

bool Click(HWND button) {
    if (!button) return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    return true;
}

void MovePointer(POINT at, DWORD buttons = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
    SendInput(1, &in, sizeof(in));
}

// Right-clicks a list view on its first row (where a list without rows is empty), with the
// mouse, as a user does: the list takes the focus and shows the row selected.
bool RightClick(HWND list) {
    if (!list || !IsWindowVisible(list)) return false;
    RECT client, header{};
    GetClientRect(list, &client);
    GetWindowRect(GetWindow(list, GW_CHILD), &header);
    POINT p{client.right / 3, (header.bottom - header.top) + 4};
    ClientToScreen(list, &p);
    MovePointer(p);
    MovePointer(p, MOUSEEVENTF_RIGHTDOWN);
    MovePointer(p, MOUSEEVENTF_RIGHTUP);
    return true;
}

void PressKeys(int argc, wchar_t** argv) {
    std::vector<INPUT> in;
    for (int i = 2; i < argc; ++i) {
        INPUT k{};
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = static_cast<WORD>(_wtoi(argv[i]));
        in.push_back(k);
    }
    for (int i = argc - 1; i >= 2; --i) {
        INPUT k{};
        k.type = INPUT_KEYBOARD;
        k.ki.wVk = static_cast<WORD>(_wtoi(argv[i]));
        k.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(k);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Waits until the programs of the shown windows have painted them: each program's thread has
// gone idle (it paints before it waits for input) twice, a little apart.
void Settle(const std::vector<HWND>& windows) {
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<DWORD> done;
        for (HWND h : windows) {
            DWORD pid = ProcessOf(h);
            if (std::find(done.begin(), done.end(), pid) != done.end()) continue;
            done.push_back(pid);
            if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
                WaitForInputIdle(process, 2000);
                CloseHandle(process);
            }
            DWORD_PTR ignored;
            SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        }
        Sleep(150);
    }
}

bool PrintUnion(const std::vector<HWND>& windows) {
    if (windows.empty()) return false;
    Settle(windows);
    RECT all{};
    for (HWND h : windows) {
        RECT r;
        GetWindowRect(h, &r);
        UnionRect(&all, &all, &r);
    }
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&all, &all, &screen);
    std::printf("%ldx%ld+%ld+%ld\n", all.right - all.left, all.bottom - all.top, all.left,
                all.top);
    std::fflush(stdout);
    return true;
}

// Tries the step every 100 ms for about 10 s.
int Retry(const std::function<bool()>& step) {
    for (int tries = 0; tries < 100; ++tries) {
        if (step()) return 0;
        Sleep(100);
    }
    return 1;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    auto arg = [&](int i) { return i < argc ? std::wstring(argv[i]) : std::wstring(); };
    int rc = 2;
    if (verb == L"wait" || verb == L"hidden") {
        bool shown = verb == L"wait";
        rc = Retry([&] {
            HWND h = MainWindow();
            return h && (IsWindowVisible(h) != FALSE) == shown;
        });
    } else if (verb == L"shown" && argc > 2) {
        rc = Retry([&] { return NivoraWindow(arg(2)) != nullptr; });
    } else if (verb == L"gone" && argc > 2) {
        rc = Retry([&] { return NivoraWindow(arg(2)) == nullptr; });
    } else if (verb == L"click" && argc > 2) {
        rc = Retry([&] { return Click(ChildByText(MainWindow(), arg(2))); });
    } else if (verb == L"click-in" && argc > 3) {
        rc = Retry([&] {
            HWND window = NivoraWindow(arg(2));
            return window && Click(ChildByText(window, arg(3)));
        });
    } else if (verb == L"answer" && argc > 2) {
        rc = Retry([&] {
            HWND box = NivoraWindow(L"#32770");
            return box && Click(ChildByText(box, arg(2)));
        });
    } else if (verb == L"click-beside" && argc > 2) {
        rc = Retry([&] {
            HWND edit = ChildByText(MainWindow(), arg(2));
            return edit && Click(ChildByClass(GetParent(edit), L"Button", 0));
        });
    } else if (verb == L"menu" && argc > 2) {
        rc = Retry([&] {
            return RightClick(ChildByClass(MainWindow(), L"SysListView32", _wtoi(argv[2])));
        });
        if (rc == 0) rc = Retry([&] { return NivoraWindow(L"#32768") != nullptr; });
        // The pointer out of the way, at the middle of the screen's left edge, where no window
        // lies and no hint can show.
        MovePointer(POINT{0, GetSystemMetrics(SM_CYSCREEN) / 2});
    } else if (verb == L"type" && argc > 4) {
        rc = Retry([&] {
            HWND edit = ChildByClass(NivoraWindow(arg(2)), L"Edit", _wtoi(argv[3]));
            return edit && SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        });
    } else if (verb == L"keys") {
        PressKeys(argc, argv);
        rc = 0;
    } else if (verb == L"rect") {
        DWORD pid = ProcessOf(MainWindow());
        rc = pid != 0 && PrintUnion(ShownWindows(pid)) ? 0 : 1;
    } else if (verb == L"rect-all") {
        rc = PrintUnion(ShownWindows(0)) ? 0 : 1;
    } else if (verb == L"quit" && argc > 2) {
        HWND h = FindWindowW(nullptr, argv[2]);
        rc = h && PostThreadMessageW(GetWindowThreadProcessId(h, nullptr), WM_QUIT, 0, 0) ? 0 : 1;
    }
    LocalFree(argv);
    return rc;
}
