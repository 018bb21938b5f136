// Test helper: opens top-level windows with the titles given on the command line and keeps
// them alive until it is ended. "--hung TITLE" opens a window whose thread stops answering
// messages a moment after it appears; "--busy TITLE" opens one on a thread of its own that
// stops answering for as many milliseconds as a posted WM_APP's wParam says, or, at a posted
// WM_APP + 1, until the event "NvBusyRelease" is set (30 s at most); "--exstyle HEX"
// sets the extended style of the windows that follow, "--class NAME" their class; "--min"
// opens the next window minimised; "--later MS TITLE" opens a window invisible and shows it MS
// milliseconds later, as programs usually show theirs; "--hotkey" takes Ctrl+` for itself, as
// another program might; "--stays TITLE" opens a window that turns every hide down (it clears
// SWP_HIDEWINDOW), "--stays-up TITLE" one that turns being minimised down as well. A window
// that has been busy for a posted WM_APP says so afterwards with its property "NvAwake": 2 when
// its time ran out, 1 when a test cut it short by setting the event "NvRelease-<process id>".
// Each window keeps the QueryPerformanceCounter reading of when it was last hidden and shown in
// its properties "NvHiddenAt" and "NvShownAt", for the benchmark.
// Each window counts the times it was shown again (property "NvShows").
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <thread>
#include <vector>

namespace {
constexpr UINT_PTR kShowTimer = 77;

HHOOK g_minMaxHook = nullptr;
HANDLE g_release = nullptr;

// Turns down minimising the windows that stay up.
LRESULT CALLBACK CbtProc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_MINMAX && GetPropW(reinterpret_cast<HWND>(w), L"NvStaysUp")) {
        int cmd = LOWORD(l);
        if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE ||
            cmd == SW_FORCEMINIMIZE)
            return 1;
    }
    return CallNextHookEx(g_minMaxHook, code, w, l);
}

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_APP) {
        // Busy, not hung: it answers again afterwards.
        DWORD woke = WaitForSingleObject(g_release, static_cast<DWORD>(w));
        SetPropW(h, L"NvAwake", reinterpret_cast<HANDLE>(INT_PTR{woke == WAIT_OBJECT_0 ? 1 : 2}));
        return 0;
    }
    if (msg == WM_WINDOWPOSCHANGING && GetPropW(h, L"NvStays"))
        reinterpret_cast<WINDOWPOS*>(l)->flags &= ~SWP_HIDEWINDOW;
    if (msg == WM_WINDOWPOSCHANGED) {
        UINT flags = reinterpret_cast<WINDOWPOS*>(l)->flags;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        auto at = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(now.QuadPart));
        if (flags & SWP_HIDEWINDOW) SetPropW(h, L"NvHiddenAt", at);
        if (flags & SWP_SHOWWINDOW) SetPropW(h, L"NvShownAt", at);
    }
    if (msg == WM_APP + 1) {
        if (HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, L"NvBusyRelease")) {
            WaitForSingleObject(release, 30000);
            CloseHandle(release);
        }
        return 0;
    }
    if (msg == WM_SHOWWINDOW && w) {
        auto shows = reinterpret_cast<UINT_PTR>(GetPropW(h, L"NvShows"));
        SetPropW(h, L"NvShows", reinterpret_cast<HANDLE>(shows + 1));
    }
    if (msg == WM_TIMER && w == kShowTimer) {
        KillTimer(h, kShowTimer);
        ShowWindow(h, SW_SHOW);
        SetPropW(h, L"NvShown", reinterpret_cast<HANDLE>(1));  // for tests to see it was shown
        return 0;
    }
    if (msg == WM_SHOWWINDOW && w) {
        // For tests of what comes back first: whether the desktop had a wallpaper again when
        // this window was shown (2) or not (1).
        DWORD size = 0;
        RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"Wallpaper", RRF_RT_REG_SZ,
                     nullptr, nullptr, &size);
        SetPropW(h, L"NvWallpaperWhenShown",
                 reinterpret_cast<HANDLE>(static_cast<INT_PTR>(size > sizeof(wchar_t) ? 2 : 1)));
    }
    if (msg == WM_CLOSE) {
        DestroyWindow(h);
        return 0;
    }
    return DefWindowProcW(h, msg, w, l);
}

struct Look {
    DWORD exStyle = WS_EX_WINDOWEDGE;
    std::wstring className = L"NvTestWindow";
    bool minimized = false;
    bool visible = true;
    int alpha = -1;  // layered with this alpha when 0 to 255
};

HWND Open(const std::wstring& title, const Look& look, int index) {
    DWORD style = WS_OVERLAPPEDWINDOW | (look.visible ? WS_VISIBLE : 0) |
                  (look.minimized ? WS_MINIMIZE : 0);
    HWND h = CreateWindowExW(look.exStyle | (look.alpha >= 0 ? WS_EX_LAYERED : 0),
                             look.className.c_str(), title.c_str(), style, 40 + 30 * index,
                             40 + 30 * index, 320, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (look.alpha >= 0) SetLayeredWindowAttributes(h, 0, static_cast<BYTE>(look.alpha), LWA_ALPHA);
    return h;
}

void Pump() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    g_release = CreateEventW(nullptr, FALSE, FALSE,
                             (L"NvRelease-" + std::to_wstring(GetCurrentProcessId())).c_str());
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"NvTestWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Look look;
    int index = 0;
    std::vector<std::thread> threads;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--hotkey") {
            RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_OEM_3);
        } else if (arg == L"--exstyle" && i + 1 < argc) {
            look.exStyle = wcstoul(argv[++i], nullptr, 16);
        } else if (arg == L"--class" && i + 1 < argc) {
            look.className = argv[++i];
            wc.lpszClassName = look.className.c_str();
            RegisterClassW(&wc);
        } else if (arg == L"--alpha" && i + 1 < argc) {  // the windows that follow are layered
            look.alpha = static_cast<int>(wcstoul(argv[++i], nullptr, 10)) & 0xFF;
        } else if (arg == L"--min") {
            look.minimized = true;
            continue;
        } else if (arg == L"--later" && i + 2 < argc) {
            UINT delay = wcstoul(argv[++i], nullptr, 10);
            Look hidden = look;
            hidden.visible = false;
            HWND h = Open(argv[++i], hidden, index++);
            SetTimer(h, kShowTimer, delay, nullptr);
        } else if ((arg == L"--stays" || arg == L"--stays-up") && i + 1 < argc) {
            HWND h = Open(argv[++i], look, index++);
            SetPropW(h, L"NvStays", reinterpret_cast<HANDLE>(1));
            if (arg == L"--stays-up") {
                SetPropW(h, L"NvStaysUp", reinterpret_cast<HANDLE>(1));
                if (!g_minMaxHook)
                    g_minMaxHook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
            }
        } else if (arg == L"--busy" && i + 1 < argc) {
            std::wstring title = argv[++i];
            int at = index++;
            threads.emplace_back([title, look, at] {
                Open(title, look, at);
                Pump();
            });
        } else if (arg == L"--hung" && i + 1 < argc) {
            std::wstring title = argv[++i];
            int at = index++;
            threads.emplace_back([title, look, at] {
                HWND h = Open(title, look, at);
                MSG msg;
                DWORD until = GetTickCount() + 300;
                while (GetTickCount() < until) {
                    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                    Sleep(10);
                }
                (void)h;
                Sleep(INFINITE);  // stops answering
            });
        } else {
            Open(arg, look, index++);
        }
        look.minimized = false;
    }
    LocalFree(argv);
    Pump();
    ExitProcess(0);
}
