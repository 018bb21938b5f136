// The real window-manager layer against Wine: the window walk, messages, hotkeys, key names,
// message boxes and the screen.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "PlatformTestSupport.h"  // <windows.h> first, which <commctrl.h> needs

#include <commctrl.h>

namespace {

using nvtest::PlatformTest;

const wchar_t kClass[] = L"NivoraPlatformTestWindow";

HWND CreateTestWindow(const wchar_t* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        ::RegisterClassW(&wc);
        registered = true;
    }
    HWND window = ::CreateWindowExW(0, kClass, title, WS_OVERLAPPEDWINDOW, 50, 50, 300, 200,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TEST_F(PlatformTest, WindowWalkFindsOurWindowWithTitleClassAndStyle) {
    HWND own = CreateTestWindow(L"Nivora walk test");
    ASSERT_NE(own, nullptr);
    Pump();
    nv::IWindowManager& wm = m_platform.windows;
    const nv::WindowHandle handle = reinterpret_cast<nv::WindowHandle>(own);

    int seen = 0;
    bool found = false;
    for (nv::WindowHandle w = wm.GetTopWindow(); w && seen < 100000; w = wm.GetNextWindow(w)) {
        ++seen;
        if (w == handle) found = true;
    }
    EXPECT_TRUE(found) << seen << " windows walked";

    EXPECT_EQ(wm.InternalGetWindowText(handle, 10000), L"Nivora walk test");
    EXPECT_EQ(wm.InternalGetWindowText(handle, 7), L"Nivora");  // the buffer, terminator included
    EXPECT_EQ(wm.GetClassNameW(handle, 256), kClass);
    EXPECT_EQ(wm.InternalGetWindowText(0, 256), L"");
    EXPECT_EQ(wm.GetWindowThreadProcessId(handle), ::GetCurrentProcessId());
    nv::ProcessId pid = 0;
    EXPECT_EQ(wm.GetWindowThreadAndProcessId(handle, pid), ::GetCurrentThreadId());
    EXPECT_EQ(pid, ::GetCurrentProcessId());
    EXPECT_EQ(wm.FindWindowW(kClass, L""), handle);
    EXPECT_EQ(wm.FindWindowW(L"", L"Nivora walk test"), handle);

    nv::WindowStyles info;
    ASSERT_TRUE(wm.GetWindowStyles(handle, info));
    EXPECT_TRUE(info.style & nv::kWsVisible);
    EXPECT_FALSE(wm.GetWindowStyles(0, info));

    const std::uint32_t exStyle = wm.GetWindowExStyle(handle);
    wm.SetWindowExStyleAndWait(handle, exStyle | nv::kWsExToolWindow);
    EXPECT_TRUE(wm.GetWindowExStyle(handle) & nv::kWsExToolWindow);
    wm.SetWindowExStyleAndWait(handle, exStyle);
    EXPECT_FALSE(wm.GetWindowExStyle(handle) & nv::kWsExToolWindow);

    EXPECT_TRUE(wm.IsWindowVisible(handle));
    wm.ShowWindowAndWait(handle, nv::ShowCmd::Hide);
    EXPECT_FALSE(wm.IsWindowVisible(handle));
    wm.ShowWindowAsync(handle, nv::ShowCmd::ShowNA);
    Pump();
    EXPECT_TRUE(wm.IsWindowVisible(handle));

    ::DestroyWindow(own);
    EXPECT_FALSE(wm.IsWindow(handle));
}

// A window on a thread of its own that either pumps messages or sits blocked until released.
class ForeignWindow {
  public:
    explicit ForeignWindow(bool pumping) {
        m_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, pumping, ready] {
            m_window = CreateTestWindow(L"Nivora foreign window");
            m_threadId = ::GetCurrentThreadId();
            ::SetEvent(ready);
            if (!pumping) {
                ::WaitForSingleObject(m_release, INFINITE);
                return;
            }
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        });
        ::WaitForSingleObject(ready, 5000);
        ::CloseHandle(ready);
    }
    ~ForeignWindow() {
        ::SetEvent(m_release);
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        ::CloseHandle(m_release);
    }
    nv::WindowHandle Handle() const { return reinterpret_cast<nv::WindowHandle>(m_window); }

  private:
    HANDLE m_release;
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

TEST_F(PlatformTest, SendMessageTimeoutTellsAnsweringFromSilentWindows) {
    {
        ForeignWindow pumping(true);
        EXPECT_TRUE(
            m_platform.windows.SendMessageTimeoutW(pumping.Handle(), nv::kWmNull, 0, 0, 1000));
    }
    {
        ForeignWindow blocked(false);
        DWORD start = ::GetTickCount();
        EXPECT_FALSE(
            m_platform.windows.SendMessageTimeoutW(blocked.Handle(), nv::kWmNull, 0, 0, 200));
        DWORD waited = ::GetTickCount() - start;
        EXPECT_LT(waited, 3000u);
        std::printf("[wine] SendMessageTimeoutW on a blocked thread returned after %lu ms\n",
                    static_cast<unsigned long>(waited));
    }
    EXPECT_FALSE(m_platform.windows.SendMessageTimeoutW(0xDEAD0, nv::kWmNull, 0, 0, 100));
}

TEST_F(PlatformTest, SecondRegistrationOfAHotkeyFailsWith1409) {
    HWND own = CreateTestWindow(L"Nivora hotkey test");
    nv::IWindowManager& wm = m_platform.windows;
    const auto handle = reinterpret_cast<nv::WindowHandle>(own);
    const std::uint32_t mods = nv::HotKeyMod::Control | nv::HotKeyMod::Alt | nv::HotKeyMod::Shift;
    ASSERT_TRUE(wm.RegisterHotKey(handle, 1, mods, VK_F12));
    EXPECT_FALSE(wm.RegisterHotKey(handle, 2, mods, VK_F12));
    // The seam says only whether it worked; Windows' own code, read at once, says why.
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
    EXPECT_TRUE(wm.UnregisterHotKey(handle, 1));
    EXPECT_TRUE(wm.RegisterHotKey(handle, 2, mods, VK_F12));  // free again
    EXPECT_TRUE(wm.UnregisterHotKey(handle, 2));
    EXPECT_FALSE(wm.UnregisterHotKey(handle, 2));
    ::DestroyWindow(own);
}

TEST_F(PlatformTest, KeysHaveScanCodesAndNames) {
    nv::IWindowManager& wm = m_platform.windows;
    for (std::uint32_t vk : {192u, 220u, static_cast<std::uint32_t>('A'), 0x70u /* F1 */}) {
        std::uint32_t scan = wm.MapVirtualKeyW(vk);
        std::wstring name = wm.GetKeyNameTextW(static_cast<std::int32_t>(scan << 16));
        std::printf("[wine] VK %u -> scan 0x%02X -> \"%s\"\n", vk, scan, nv::ToUtf8(name).c_str());
        EXPECT_NE(scan, 0u) << vk;
        EXPECT_FALSE(name.empty()) << vk;
    }
    EXPECT_EQ(wm.GetKeyNameTextW(0x7F << 16), L"");  // no such key
}

// Waits for a dialog with the caption, reports its buttons, then answers it.
std::wstring AnswerDialog(const std::wstring& caption, UINT message, WPARAM wParam,
                          std::atomic<bool>& seen) {
    HWND dialog = nullptr;
    for (int i = 0; i < 200 && !dialog; ++i) {
        dialog = ::FindWindowW(L"#32770", caption.c_str());
        if (!dialog) ::Sleep(25);
    }
    if (!dialog) return L"";
    seen = true;
    // The dialog window exists a moment before its buttons do: read them until the list
    // holds still.
    std::wstring buttons, before;
    for (int i = 0; i < 200 && (buttons.empty() || buttons != before); ++i) {
        ::Sleep(50);
        before = buttons;
        buttons.clear();
        ::EnumChildWindows(
            dialog,
            [](HWND child, LPARAM param) -> BOOL {
                wchar_t cls[64], text[64];
                ::GetClassNameW(child, cls, 64);
                ::GetWindowTextW(child, text, 64);
                if (_wcsicmp(cls, L"Button") == 0 && ::IsWindowVisible(child)) {
                    auto& out = *reinterpret_cast<std::wstring*>(param);
                    out += (out.empty() ? L"" : L", ") + std::wstring(text);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&buttons));
    }
    ::PostMessageW(dialog, message, wParam, 0);
    return buttons;
}

TEST_F(PlatformTest, YesCancelBoxShowsYesAndCancelAndCountsClosingAsCancel) {
    nv::IWindowManager& wm = m_platform.windows;
    struct Case {
        UINT message;
        WPARAM wParam;
        nv::MessageBoxResult expected;
    };
    for (Case c : {Case{WM_COMMAND, IDYES, nv::MessageBoxResult::Yes},
                   Case{WM_COMMAND, IDCANCEL, nv::MessageBoxResult::Cancel},
                   Case{WM_CLOSE, 0, nv::MessageBoxResult::Cancel}}) {
        std::atomic<bool> seen{false};
        std::wstring buttons;
        std::thread answer(
            [&] { buttons = AnswerDialog(L"Nivora question", c.message, c.wParam, seen); });
        auto result = wm.MessageBoxW(0, L"Do you really want it?", L"Nivora question",
                                     nv::MessageBoxKind::Warning, nv::MessageBoxButtons::YesCancel);
        answer.join();
        EXPECT_TRUE(seen);
        EXPECT_EQ(result, c.expected) << c.message << "/" << c.wParam;
        std::printf("[wine] Yes+Cancel box buttons: %s\n", nv::ToUtf8(buttons).c_str());
        EXPECT_NE(buttons.find(L"Yes"), std::wstring::npos);
        EXPECT_NE(buttons.find(L"Cancel"), std::wstring::npos);
        EXPECT_EQ(buttons.find(L"No"), std::wstring::npos);
    }
}

TEST_F(PlatformTest, OkBoxAnswersOk) {
    std::atomic<bool> seen{false};
    std::wstring buttons;
    std::thread answer([&] { buttons = AnswerDialog(L"Nivora notice", WM_COMMAND, IDOK, seen); });
    auto result = m_platform.windows.MessageBoxW(
        0, L"Done.", L"Nivora notice", nv::MessageBoxKind::Information, nv::MessageBoxButtons::Ok);
    answer.join();
    EXPECT_TRUE(seen);
    EXPECT_EQ(result, nv::MessageBoxResult::Ok);
    std::printf("[wine] Ok box buttons: %s\n", nv::ToUtf8(buttons).c_str());
}

TEST_F(PlatformTest, ScreenAndWorkArea) {
    nv::Rect screen = m_platform.windows.GetPrimaryScreenRect();
    nv::Rect work = m_platform.windows.GetWorkArea();
    std::printf("[wine] screen %dx%d, work area %d,%d-%d,%d\n", screen.Width(), screen.Height(),
                work.left, work.top, work.right, work.bottom);
    EXPECT_GT(screen.Width(), 0);
    EXPECT_GT(screen.Height(), 0);
    EXPECT_GE(work.left, 0);
    EXPECT_LE(work.right, screen.right);
    EXPECT_LE(work.bottom, screen.bottom);
    EXPECT_GT(work.Height(), 0);
    m_platform.windows.GetCursorPos();
    // One monitor: the primary screen, whatever point is asked about.
    for (nv::Point p : {nv::Point{0, 0}, nv::Point{screen.right - 1, screen.bottom - 1},
                        nv::Point{-5000, 99999}}) {
        nv::MonitorInfo monitor = m_platform.windows.MonitorFromPoint(p);
        EXPECT_EQ(monitor.rect.left, 0);
        EXPECT_EQ(monitor.rect.right, screen.right);
        EXPECT_EQ(monitor.rect.bottom, screen.bottom);
        EXPECT_GE(monitor.dpi, 96);
    }
}

// The tray's toolbars are asked how many buttons they hold (a window of our own answers for one:
// the tray library's test gives this process a "ToolbarWindow32" class of its own); nothing is
// cloaked under Wine.
TEST_F(PlatformTest, AToolbarTellsItsButtonsAndAShownWindowIsNotCloaked) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == TB_BUTTONCOUNT) return ::GetWindowLongPtrW(h, GWLP_USERDATA);
        return ::DefWindowProcW(h, msg, w, l);
    };
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NivoraButtonsTest";
    ::RegisterClassW(&wc);
    HWND owner = CreateTestWindow(L"Nivora toolbar test");
    HWND toolbar = ::CreateWindowExW(0, wc.lpszClassName, nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                     200, 30, owner, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(toolbar, nullptr);
    auto handle = [](HWND h) { return reinterpret_cast<nv::WindowHandle>(h); };
    EXPECT_EQ(m_platform.windows.GetToolbarButtonCount(handle(toolbar), 1000), 0);
    ::SetWindowLongPtrW(toolbar, GWLP_USERDATA, 2);
    EXPECT_EQ(m_platform.windows.GetToolbarButtonCount(handle(toolbar), 1000), 2);
    EXPECT_EQ(m_platform.windows.DwmGetWindowCloaked(handle(owner)), 0u);
    ::DestroyWindow(owner);
    EXPECT_EQ(m_platform.windows.GetToolbarButtonCount(handle(toolbar), 1000), std::nullopt);
}

}  // namespace

namespace {

// Closes every dialog box of this process: the way out when an answer did not end the dialog.
void CloseOurDialogs() {
    for (int round = 0; round < 5; ++round) {
        for (HWND w = ::FindWindowW(L"#32770", nullptr); w;
             w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == ::GetCurrentProcessId()) ::PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
        }
        ::Sleep(200);
    }
}

// Waits for the open-file dialog, types a name into its file-name box and presses Open (or
// cancels when name is empty). Returns whether the dialog went away by that answer.
bool AnswerOpenDialog(const std::wstring& name) {
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && !dialog; ++i) {
        dialog = ::FindWindowW(L"#32770", L"Open");
        if (!dialog) ::Sleep(25);
    }
    if (!dialog) return false;
    // Answered once its controls are made and it waits in its message loop.
    const int kFileNameCombo = 0x47C;  // cmb13, the explorer-style name box
    for (int i = 0; i < 400 && !::GetDlgItem(dialog, kFileNameCombo); ++i) ::Sleep(10);
    ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    if (name.empty()) {
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        ::SetDlgItemTextW(dialog, kFileNameCombo, name.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) ::Sleep(30);
    if (!::IsWindow(dialog)) return true;
    CloseOurDialogs();  // e.g. a "File does not exist" box in front of the dialog
    return false;
}

TEST_F(PlatformTest, OpenFileDialogGivesTheChosenFileOrNothingWhenCancelled) {
    nvtest::TempFolder folder;
    const std::wstring file = folder / L"tool.exe";
    const std::wstring bare = folder / L"readme";
    m_platform.kernel.ReplaceFileContents(file, {'x'});
    m_platform.kernel.ReplaceFileContents(bare, {'x'});

    struct Case {
        std::wstring typed;
        std::wstring defaultExt;
        std::optional<std::wstring> expected;
    };
    // The program's own dialog asks for the default extension "*.*": a wildcard is no extension
    // and must not be glued to the chosen name.
    for (const Case& c : {Case{file, L"*.*", file}, Case{bare, L"*.*", bare}, Case{file, L"", file},
                          Case{L"", L"*.*", std::nullopt}}) {
        bool answered = false;
        std::thread answer([&] { answered = AnswerOpenDialog(c.typed); });
        auto chosen = m_platform.shell.GetOpenFileNameW(0, L"All files|*.*", c.defaultExt);
        answer.join();
        EXPECT_TRUE(answered) << nv::ToUtf8(c.typed);
        ASSERT_EQ(chosen.has_value(), c.expected.has_value()) << nv::ToUtf8(c.typed);
        if (chosen) {
            EXPECT_EQ(_wcsicmp(chosen->c_str(), c.expected->c_str()), 0) << nv::ToUtf8(*chosen);
        }
    }
}

}  // namespace
