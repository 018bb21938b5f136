// "Hide newly created windows while in HIDE mode", as a user meets it under Wine: a window that
// another program shows while everything is hidden goes at once and comes back with the others;
// a Do-not-hide entry spares it; unticked, nothing happens; ticked while running, it works; and
// without shook.dll beside Nivora.exe the start says so once, never loading one from elsewhere.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>  // after <windows.h>, which it needs
// clang-format on

#include <filesystem>

#include "support/Driver.h"

using namespace e2e;

namespace {

bool HasModule(DWORD pid, const std::wstring& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found;
         more = Module32NextW(snapshot, &entry))
        found = _wcsicmp(entry.szModule, name.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

class WatchE2E : public ::testing::Test {
  protected:
    void SetUp() override { MakeEmptyDataFolder(); }
    void TearDown() override {
        nivora.Kill();
        for (Process* p : {&first, &second}) p->Kill();
    }

    static void TickInSettings() {
        std::wstring settings = DataFolder() + L"nva.dat";
        WritePrivateProfileStringW(L"General", L"HideNewlyCreatedWindows", L"1", settings.c_str());
    }
    HWND StartNivora(const std::wstring& args = L"/q") {
        EXPECT_TRUE(Start(nivora, L"Nivora.exe", args));
        return WaitForMain();
    }
    HWND WaitForMain() {
        HWND main = nullptr;
        WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; }, 30000);
        // The library's own thread waits for messages from the moment it is loaded, so the
        // program looks idle before its start-up has finished: the first hotkey of a test that
        // loads the library at start is posted (PostHotkey), not pressed.
        EXPECT_TRUE(nivora.WaitUntilIdle());
        return main;
    }
    static void HideRestoreKey() { PressKeys({VK_CONTROL}, VK_OEM_3); }
    // A window of the process with this title, visible or not.
    static HWND AnyWindowOf(const Process& p, const std::wstring& title) {
        HWND found = nullptr;
        WaitFor(
            [&] {
                for (HWND h : TopWindows(p.Pid()))
                    if (WindowText(h) == title) found = h;
                return found != nullptr;
            },
            20000);
        return found;
    }
    static HWND Shown(const Process& p, const std::wstring& title) {
        HWND h = nullptr;
        WaitFor([&] { return (h = FindWindowOf(p.Pid(), title)) != nullptr; }, 20000);
        return h;
    }
    // The machine may be busy with other tests: the waits are generous.
    static bool Gone(HWND h) {
        return WaitFor([&] { return !IsWindowVisible(h); }, 20000);
    }
    // A window made invisible and shown later (--later) has been shown by its program.
    static bool WasShown(HWND h) {
        return WaitFor([&] { return GetPropW(h, L"NvShown") != nullptr; }, 20000);
    }
    // A window opened with WS_EX_APPWINDOW has it (again): the hide cuts it, and the restore
    // writes it back, at once or, for a window too busy to answer then, a moment later.
    static bool HasAppWindowStyle(HWND h) {
        return WaitFor([&] { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0; },
                       20000);
    }
    static bool Back(HWND h) {
        return WaitFor([&] { return IsWindowVisible(h) != FALSE; }, 20000);
    }
    // Nothing can hide a window that appears: the window is on screen, and Nivora has no
    // library loaded that would tell it of the window (a pause would prove nothing).
    bool NotWatched(HWND h) {
        return IsWindowVisible(h) && !HasModule(nivora.Pid(), L"shook.dll");
    }

    Process nivora, first, second;
};

TEST_F(WatchE2E, TickedAWindowShownWhileHiddenGoesAtOnceAndComesBackWithTheOthers) {
    TickInSettings();
    WriteFileBytes(DataFolder() + L"ExList.Dat", ListRecord(L"Chat", L"", 0));
    ASSERT_TRUE(Start(first, L"nv_windows.exe", L"Report"));
    HWND report = Shown(first, L"Report");
    HWND main = StartNivora();
    ASSERT_NE(main, nullptr);

    PostHotkey(main, 0, MOD_CONTROL, VK_OEM_3);
    ASSERT_TRUE(Gone(report));
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);  // the library is there: no message
    // One window shown as it is made, one made invisible and shown later, one spared by title.
    ASSERT_TRUE(Start(second, L"nv_windows.exe", L"--exstyle 40100 Popup --later 300 Mail Chat"));
    HWND popup = AnyWindowOf(second, L"Popup");
    HWND mail = AnyWindowOf(second, L"Mail");
    HWND chat = Shown(second, L"Chat");
    ASSERT_TRUE(popup && mail && chat);
    EXPECT_TRUE(Gone(popup));  // it was made visible: only Nivora hides it
    EXPECT_TRUE(WasShown(mail));
    EXPECT_TRUE(Gone(mail));
    EXPECT_TRUE(IsWindowVisible(chat));

    HideRestoreKey();
    EXPECT_TRUE(Back(report));
    EXPECT_TRUE(Back(popup));
    EXPECT_TRUE(Back(mail));
    EXPECT_TRUE(HasAppWindowStyle(popup));
    EXPECT_TRUE(HasAppWindowStyle(mail));
    EXPECT_TRUE(IsWindowVisible(chat));
}

TEST_F(WatchE2E, UntickedNewWindowsStayAndTickingTheBoxWhileRunningMakesItWork) {
    HWND main = StartNivora(L"");  // on screen, to tick the box
    HideRestoreKey();
    ASSERT_TRUE(Gone(main));
    ASSERT_TRUE(Start(first, L"nv_windows.exe", L"Early"));
    HWND early = Shown(first, L"Early");
    ASSERT_NE(early, nullptr);
    EXPECT_TRUE(NotWatched(early));
    HideRestoreKey();
    ASSERT_TRUE(Back(main));

    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    HWND box = FindChildByText(main, L"Hide newly created windows while in HIDE mode");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);

    HideRestoreKey();
    ASSERT_TRUE(Gone(early));
    ASSERT_TRUE(Start(second, L"nv_windows.exe", L"Late"));
    HWND late = AnyWindowOf(second, L"Late");
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(Gone(late));
    HideRestoreKey();
    EXPECT_TRUE(Back(late));
    EXPECT_TRUE(Back(early));
}

TEST_F(WatchE2E, WithoutTheLibraryBesideItTheStartSaysSoOnceAndNeverTakesOneFromElsewhere) {
    namespace fs = std::filesystem;
    // Nivora.exe in a folder of its own without shook.dll; a working shook.dll planted in the
    // current folder and on the path.
    fs::path root = fs::temp_directory_path() / L"nv-watch-missing";
    fs::remove_all(root);
    fs::create_directories(root / L"app");
    fs::create_directories(root / L"planted");
    fs::path bin = BinDir();
    fs::copy_file(bin / L"Nivora.exe", root / L"app" / L"Nivora.exe");
    fs::copy_file(bin / L"nvatray.dll", root / L"app" / L"nvatray.dll");
    fs::copy_file(bin / L"shook.dll", root / L"planted" / L"shook.dll");
    TickInSettings();
    ASSERT_TRUE(Start(first, L"nv_windows.exe", L"Report"));
    HWND report = Shown(first, L"Report");

    wchar_t oldPath[32767];
    DWORD n = GetEnvironmentVariableW(L"PATH", oldPath, 32767);
    std::wstring path = (root / L"planted").wstring() + L";" + std::wstring(oldPath, n);
    SetEnvironmentVariableW(L"PATH", path.c_str());
    std::wstring cmd = L"\"" + (root / L"app" / L"Nivora.exe").wstring() + L"\" /q";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cwd = (root / L"planted").wstring();
    BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  cwd.c_str(), &si, &nivora.pi);
    SetEnvironmentVariableW(L"PATH", std::wstring(oldPath, n).c_str());
    ASSERT_TRUE(started);

    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }, 30000));
    EXPECT_NE(DialogText(box).find(L"Library not found.\r\nApplication is disabled."),
              std::wstring::npos)
        << DialogText(box);
    EXPECT_TRUE(HasModule(nivora.Pid(), L"nvatray.dll"));  // the look-up sees its modules
    EXPECT_FALSE(HasModule(nivora.Pid(), L"shook.dll"));
    ASSERT_TRUE(PressButton(box, L"OK"));
    // Start-up goes on once the box is gone.
    ASSERT_TRUE(WaitFor([&] { return FindDialog(nivora.Pid()) == nullptr; }, 20000));
    HWND main = nullptr;  // the box comes while the main window is being made
    ASSERT_TRUE(WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; }));

    // Everything else works, and nothing more is said.
    PostHotkey(main, 0, MOD_CONTROL, VK_OEM_3);
    EXPECT_TRUE(Gone(report));
    ASSERT_TRUE(Start(second, L"nv_windows.exe", L"Late"));
    HWND late = Shown(second, L"Late");
    ASSERT_NE(late, nullptr);
    EXPECT_TRUE(NotWatched(late));
    HideRestoreKey();
    EXPECT_TRUE(Back(report));
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);
    EXPECT_FALSE(HasModule(nivora.Pid(), L"shook.dll"));
    // Gone for good before the next test starts its own Nivora.exe.
    nivora.Kill();
    nivora.Wait(30000);
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

}  // namespace
