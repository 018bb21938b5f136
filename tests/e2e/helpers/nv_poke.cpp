// Test and demo helper: acts on Nivora's main window as a user would.
//   nv_poke click "BUTTON TEXT"      clicks a button of the window "NV"
//   nv_poke keys VK [VK...]          presses the keys (decimal virtual-key codes) together
//   nv_poke wait                     waits until the window "NV" is shown
//   nv_poke answer "BUTTON TEXT"     clicks a button of the first message box shown
//   nv_poke click-in CLASS "TEXT"    clicks a button of the first window of that class
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {
HWND MainWindow() {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        wchar_t title[64] = {}, cls[64] = {};
        GetWindowTextW(h, title, 64);
        GetClassNameW(h, cls, 64);
        if (std::wstring(title) == L"NV" && std::wstring(cls) != L"#32770") return h;
    }
    return nullptr;
}

struct Search {
    std::wstring text;
    HWND found = nullptr;
};

std::wstring Plain(const wchar_t* s) {
    std::wstring out;
    for (; *s; ++s)
        if (*s != L'&') out += *s;
    return out;
}

BOOL CALLBACK FindButton(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    if (Plain(text) == Plain(s->text.c_str())) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

bool Click(HWND parent, const std::wstring& text) {
    Search s{text};
    EnumChildWindows(parent, FindButton, reinterpret_cast<LPARAM>(&s));
    if (!s.found) return false;
    PostMessageW(s.found, BM_CLICK, 0, 0);
    return true;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    std::wstring verb = argv[1];
    int rc = 1;
    for (int tries = 0; tries < 100 && rc != 0; ++tries) {
        if (verb == L"wait") {
            HWND h = MainWindow();
            if (h && IsWindowVisible(h)) rc = 0;
        } else if (verb == L"click" && argc > 2) {
            HWND h = MainWindow();
            if (h && Click(h, argv[2])) rc = 0;
        } else if (verb == L"answer" && argc > 2) {
            HWND box = FindWindowW(L"#32770", nullptr);
            if (box && Click(box, argv[2])) rc = 0;
        } else if (verb == L"click-in" && argc > 3) {
            HWND window = FindWindowW(argv[2], nullptr);
            if (window && Click(window, argv[3])) rc = 0;
        } else if (verb == L"keys") {
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
            rc = 0;
        } else {
            break;
        }
        if (rc != 0) Sleep(100);
    }
    LocalFree(argv);
    return rc;
}
