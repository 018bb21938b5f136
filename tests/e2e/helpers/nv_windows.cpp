// Test helper: opens top-level windows with the titles given on the command line and keeps
// them alive until it is ended. "--hung TITLE" opens a window whose thread stops answering
// messages a moment after it appears; "--exstyle HEX" sets the extended style of the windows
// that follow; "--hotkey" takes Ctrl+` for itself, as another program might.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <thread>
#include <vector>

namespace {
LRESULT CALLBACK WndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_CLOSE) {
        DestroyWindow(h);
        return 0;
    }
    return DefWindowProcW(h, msg, w, l);
}

HWND Open(const std::wstring& title, DWORD exStyle, int index) {
    return CreateWindowExW(exStyle, L"NvTestWindow", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           40 + 30 * index, 40 + 30 * index, 320, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
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
    DWORD exStyle = WS_EX_WINDOWEDGE;
    int index = 0;
    std::vector<std::thread> hung;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--hotkey") {
            RegisterHotKey(nullptr, 1, MOD_CONTROL, VK_OEM_3);
        } else if (arg == L"--exstyle" && i + 1 < argc) {
            exStyle = wcstoul(argv[++i], nullptr, 16);
        } else if (arg == L"--hung" && i + 1 < argc) {
            std::wstring title = argv[++i];
            int at = index++;
            hung.emplace_back([title, exStyle, at] {
                HWND h = Open(title, exStyle, at);
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
            Open(arg, exStyle, index++);
        }
    }
    LocalFree(argv);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ExitProcess(0);
}
