// Test helper: opens top-level windows with the titles given on the command line and keeps
// them alive until it is ended. "--hung TITLE" opens a window whose thread stops answering
// messages a moment after it appears; "--busy TITLE" opens one on a thread of its own that
// stops answering for as many milliseconds as a posted WM_APP's wParam says, or, at a posted
// WM_APP + 1, until the event "NvBusyRelease" is set (30 s at most); "--exstyle HEX"
// sets the extended style of the windows that follow, "--class NAME" their class; "--min"
// opens the next window minimised; "--later MS TITLE" opens a window invisible and shows it MS
// milliseconds later, as programs usually show theirs; "--hotkey" takes Ctrl+` for itself, as
// another program might. Each window counts the times it was shown again (property "NvShows").
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <thread>
#include <vector>

namespace {
constexpr UINT_PTR kShowTimer = 77;

LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_APP) {
        Sleep(static_cast<DWORD>(w));  // busy, not hung: it answers again afterwards
        return 0;
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
};

HWND Open(const std::wstring& title, const Look& look, int index) {
    DWORD style = WS_OVERLAPPEDWINDOW | (look.visible ? WS_VISIBLE : 0) |
                  (look.minimized ? WS_MINIMIZE : 0);
    return CreateWindowExW(look.exStyle, look.className.c_str(), title.c_str(), style,
                           40 + 30 * index, 40 + 30 * index, 320, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
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
        } else if (arg == L"--min") {
            look.minimized = true;
            continue;
        } else if (arg == L"--later" && i + 2 < argc) {
            UINT delay = wcstoul(argv[++i], nullptr, 10);
            Look hidden = look;
            hidden.visible = false;
            HWND h = Open(argv[++i], hidden, index++);
            SetTimer(h, kShowTimer, delay, nullptr);
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
