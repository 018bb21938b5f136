// shook.dll under Wine, through the platform's binding as the program uses it: its exports, the
// loads it refuses, what StillWatching says, and the shell events it posts for the windows of
// another program.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "PlatformTestSupport.h"

namespace {

using nvtest::PlatformTest;
using nvtest::TestFolder;
using Result = nv::IHookLibrary::LoadResult;

struct Posted {
    std::uint32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Pumps this thread's messages until the predicate holds or the time runs out.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    DWORD until = ::GetTickCount() + timeoutMs;
    MSG msg;
    while (::GetTickCount() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        if (done()) return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

HWND WindowOf(DWORD pid, const std::wstring& title) {
    for (HWND h = ::GetTopWindow(nullptr); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(h, &owner);
        wchar_t text[64] = {};
        ::GetWindowTextW(h, text, 64);
        if (owner == pid && title == text) return h;
    }
    return nullptr;
}

TEST(HookLibrary, ExportsItsFiveCallsUndecoratedFromA64BitImage) {
    nvtest::LibraryExports library = nvtest::ReadLibraryExports(L"shook.dll");
    EXPECT_TRUE(library.amd64);
    EXPECT_EQ(library.names, (std::set<std::string>{"SetReceiver", "StartWatching", "StopWatching",
                                                    "StillWatching", "StopAll"}));
}

TEST_F(PlatformTest, TheHookLibraryLoadsOnlyFromAFullPathWithItsExportsAndSaysWhatItWatches) {
    nv::IHookLibrary& hooks = m_platform.hooks;
    auto none = [](std::uint32_t, std::uintptr_t, std::intptr_t) { return false; };
    EXPECT_EQ(hooks.LoadHookLibrary(L"shook.dll", none), Result::NotFound);
    EXPECT_EQ(hooks.LoadHookLibrary(L".\\shook.dll", none), Result::NotFound);
    EXPECT_EQ(hooks.LoadHookLibrary(TestFolder() + L"\\missing\\shook.dll", none),
              Result::NotFound);
    EXPECT_EQ(hooks.LoadHookLibrary(TestFolder() + L"\\nvatray.dll", none), Result::NotValid);
    EXPECT_FALSE(hooks.StillWatching());
    ASSERT_EQ(hooks.LoadHookLibrary(TestFolder() + L"\\shook.dll", none), Result::Loaded);

    // Starts are counted per kind; the kinds that watch nothing still count.
    hooks.StartWatching(0);
    hooks.StartWatching(1);
    hooks.StartWatching(0);
    hooks.StopWatching(0);
    EXPECT_TRUE(hooks.StillWatching());
    hooks.StopWatching(1);
    EXPECT_TRUE(hooks.StillWatching());
    hooks.StopWatching(0);
    EXPECT_FALSE(hooks.StillWatching());
    hooks.StopWatching(0);  // one stop too many changes nothing
    hooks.StartWatching(8);
    hooks.StartWatching(6);
    EXPECT_TRUE(hooks.StillWatching());
    hooks.StopAll();
    EXPECT_FALSE(hooks.StillWatching());
    // Freed while watching: it is stopped first, not left running in freed code.
    hooks.StartWatching(0);
    hooks.UnloadHookLibrary();
    EXPECT_EQ(::GetModuleHandleW(L"shook.dll"), nullptr);
}

TEST_F(PlatformTest, TheHookLibraryReportsAnotherProgramsWindowsWhenTheyBecomeVisible) {
    nv::IHookLibrary& hooks = m_platform.hooks;
    std::uint32_t shellMsg = hooks.RegisterWindowMessageW(L"MY_SHELL_EVENT");
    EXPECT_EQ(shellMsg, ::RegisterWindowMessageW(L"MY_SHELL_EVENT"));
    std::vector<Posted> got;
    auto receive = [&](std::uint32_t msg, std::uintptr_t w, std::intptr_t l) {
        if (msg != shellMsg) return false;
        got.push_back({msg, w, l});
        return true;
    };
    ASSERT_EQ(hooks.LoadHookLibrary(TestFolder() + L"\\shook.dll", receive), Result::Loaded);
    hooks.StartWatching(0);

    std::wstring cmd =
        L"\"" + TestFolder() + L"\\nv_windows.exe\" Visible --later 400 Later --later 60000 Never";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi));
    HWND visible = nullptr, later = nullptr, never = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        visible = WindowOf(pi.dwProcessId, L"Visible");
        later = WindowOf(pi.dwProcessId, L"Later");
        never = WindowOf(pi.dwProcessId, L"Never");
        return visible && later && never;
    }));
    auto count = [&](HWND window, std::intptr_t code) {
        int n = 0;
        for (const Posted& p : got)
            if (p.wParam == reinterpret_cast<std::uintptr_t>(window) && p.lParam == code) ++n;
        return n;
    };
    EXPECT_TRUE(PumpUntil([&] { return count(visible, 1) == 1; }));
    // Not reported while it is made invisible; reported once it is shown.
    if (!::IsWindowVisible(later)) {
        EXPECT_EQ(count(later, 1), 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return count(later, 1) == 1; }));
    EXPECT_TRUE(::IsWindowVisible(later));

    // A window destroyed before it was ever shown is reported destroyed, and never created.
    // (Wine sends no destroy event at all: there the windows that were shown go unreported.)
    ::PostMessageW(never, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return count(never, 2) == 1; }, 5000));
    EXPECT_EQ(count(never, 1), 0);
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 5000);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);

    hooks.StopWatching(0);
    EXPECT_FALSE(hooks.StillWatching());
    hooks.UnloadHookLibrary();
}

}  // namespace
