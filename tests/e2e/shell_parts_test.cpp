// The shell parts as a user meets them: with the "Special windows" boxes ticked in nva.dat, the
// desktop icons, the taskbar and the tray icons of a shell tree that a helper builds are hidden
// with the windows and come back at the next press; nvatray.dll is taken only from the program's
// own folder.
#include <gtest/gtest.h>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// A window's own visible bit: whether it is hidden itself, whatever its parents are.
bool OwnBit(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

class ShellParts : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeEmptyDataFolder();
    }
    void TearDown() override {
        nivora.Kill();
        shell.Kill();
        windows.Kill();
        if (!savedBuild.empty())
            RegWriteString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"CurrentBuildNumber", savedBuild);
    }
    // The three boxes of "Special windows", as nva.dat holds them.
    void Options(bool desktop, bool taskbar, bool tray) {
        std::wstring file = DataFolder() + L"nva.dat";
        WritePrivateProfileStringW(L"SpecialWindows", L"HideDesktop", desktop ? L"1" : L"0",
                                   file.c_str());
        WritePrivateProfileStringW(L"SpecialWindows", L"HideTaskBar", taskbar ? L"1" : L"0",
                                   file.c_str());
        WritePrivateProfileStringW(L"SpecialWindows", L"Tray", tray ? L"1" : L"0", file.c_str());
    }
    // Windows reports this build to the processes started from now on.
    void ReportBuild(const std::wstring& build) {
        if (savedBuild.empty())
            RegReadString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"CurrentBuildNumber", savedBuild);
        ASSERT_TRUE(
            RegWriteString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"CurrentBuildNumber", build));
    }
    // The helper's shell trees and one ordinary window, "One".
    void OpenHelpers(const std::wstring& trees) {
        ASSERT_TRUE(Start(shell, L"nv_shell.exe", trees));
        ASSERT_TRUE(Start(windows, L"nv_windows.exe", L"One"));
        ASSERT_TRUE(
            WaitFor([&] { return (one = FindWindowOf(windows.Pid(), L"One")) != nullptr; }));
        ASSERT_TRUE(WaitFor([&] {
            secondaries.clear();
            for (HWND h : TopWindows(shell.Pid())) {
                std::wstring cls = ClassName(h);
                if (cls == L"Shell_TrayWnd") taskbar = h;
                if (cls == L"Shell_SecondaryTrayWnd") secondaries.push_back(h);
                if (cls == L"NotifyIconOverflowWindow") overflow = h;
                if (cls == L"Progman") workerChild = FindWindowExW(h, nullptr, L"WorkerW", nullptr);
                if (cls == L"WorkerW" || (cls == L"Progman" && !list))
                    if (HWND view = FindWindowExW(h, nullptr, L"SHELLDLL_DefView", nullptr))
                        list = FindWindowExW(view, nullptr, L"SysListView32", nullptr);
            }
            bool wantTray = trees.find(L"--tray") != std::wstring::npos;
            return list && (!wantTray || (taskbar && overflow));
        }));
        if (taskbar) {
            HWND notify = FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
            HWND pager = FindWindowExW(notify, nullptr, L"SysPager", nullptr);
            toolbars = {FindWindowExW(notify, nullptr, L"ToolbarWindow32", nullptr),
                        FindWindowExW(pager, nullptr, L"ToolbarWindow32", nullptr), overflow};
            clock = FindWindowExW(notify, nullptr, L"TrayClockWClass", nullptr);
        }
    }
    void StartNivora(const std::wstring& exe = L"Nivora.exe") {
        ASSERT_TRUE(Start(nivora, exe, L"/q"));
        ASSERT_TRUE(WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; }));
        // The hotkeys are registered before the loop starts.
        EXPECT_TRUE(nivora.WaitUntilIdle());
    }
    static void HideRestoreKey() { PressKeys({VK_CONTROL}, VK_OEM_3); }
    bool TrayShown() {
        for (HWND h : toolbars)
            if (!OwnBit(h)) return false;
        return true;
    }
    bool TrayHidden() {
        for (HWND h : toolbars)
            if (OwnBit(h)) return false;
        return true;
    }

    Process nivora, shell, windows;
    std::wstring savedBuild;
    HWND main = nullptr, one = nullptr, list = nullptr, taskbar = nullptr, overflow = nullptr,
         clock = nullptr;
    HWND workerChild = nullptr;
    std::vector<HWND> toolbars, secondaries;
};

TEST_F(ShellParts, TheTaskbarAndTheDesktopIconsHideWithTheWindowsAndComeBackWithTheirStyles) {
    Options(true, true, false);
    OpenHelpers(L"--progman --tray");
    LONG taskbarStyle = GetWindowLongW(taskbar, GWL_EXSTYLE);
    LONG listStyle = GetWindowLongW(list, GWL_EXSTYLE);
    ASSERT_EQ(taskbarStyle & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
    StartNivora();

    HideRestoreKey();
    EXPECT_TRUE(
        WaitFor([&] { return !IsWindowVisible(one) && !OwnBit(taskbar) && !OwnBit(list); }));
    EXPECT_TRUE(TrayShown());  // "Hide Tray Icons" is not ticked
    HideRestoreKey();
    EXPECT_TRUE(WaitFor(
        [&] { return IsWindowVisible(one) && IsWindowVisible(taskbar) && IsWindowVisible(list); }));
    EXPECT_EQ(GetWindowLongW(taskbar, GWL_EXSTYLE), taskbarStyle);
    EXPECT_EQ(GetWindowLongW(list, GWL_EXSTYLE), listStyle);
}

// Windows 11 keeps the icon view under a WorkerW window; the tray library hides the icon
// toolbars and the open overflow panel and leaves the clock and the taskbar.
TEST_F(ShellParts, TheTrayIconsHideAndComeBackWhileTheClockStaysAndWorkerWHoldsTheIcons) {
    ReportBuild(L"22000");
    Options(true, false, true);
    OpenHelpers(L"--workerw --tray");
    StartNivora();

    HideRestoreKey();
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(one) && TrayHidden() && !OwnBit(list); }));
    EXPECT_TRUE(IsWindowVisible(clock));
    EXPECT_TRUE(IsWindowVisible(taskbar));
    HideRestoreKey();
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(one) && TrayShown() && OwnBit(list); }));
    EXPECT_TRUE(IsWindowVisible(clock));
}

// Windows 11 with its desktop not raised keeps the icons under Program Manager, beside an empty
// top-level WorkerW; 24H2 keeps them there always, with a WorkerW child of Program Manager that
// paints the wallpaper. Each further monitor has a taskbar of its own.
TEST_F(ShellParts, OnWindows11TheIconsAndTheTaskbarOfEveryMonitorHideAndComeBack) {
    struct Shell {
        const char* name;
        const wchar_t* build;
        const wchar_t* trees;
    };
    for (const Shell& tree :
         {Shell{"23H2", L"22631", L"--progman --emptyworkerw --tray --secondary --secondary"},
          Shell{"24H2", L"26100", L"--progman --workerwchild --tray --secondary --secondary"}}) {
        SCOPED_TRACE(tree.name);
        ReportBuild(tree.build);
        Options(true, true, false);
        list = taskbar = overflow = workerChild = nullptr;
        OpenHelpers(tree.trees);
        ASSERT_EQ(secondaries.size(), 2u);
        std::vector<HWND> parts{list, taskbar, secondaries[0], secondaries[1]};
        std::vector<LONG> styles;
        for (HWND h : parts) styles.push_back(GetWindowLongW(h, GWL_EXSTYLE));
        LONG childStyle = workerChild ? GetWindowLongW(workerChild, GWL_EXSTYLE) : 0;
        StartNivora();

        auto all = [&](bool shown) {
            for (HWND h : parts)
                if (OwnBit(h) != shown) return false;
            return (IsWindowVisible(one) != FALSE) == shown;
        };
        HideRestoreKey();
        EXPECT_TRUE(WaitFor([&] { return all(false); }));
        EXPECT_TRUE(!workerChild || OwnBit(workerChild));
        HideRestoreKey();
        EXPECT_TRUE(WaitFor([&] { return all(true); }));
        for (size_t i = 0; i < parts.size(); ++i)
            EXPECT_EQ(GetWindowLongW(parts[i], GWL_EXSTYLE), styles[i]) << i;
        if (workerChild) {
            EXPECT_TRUE(OwnBit(workerChild));
            EXPECT_EQ(GetWindowLongW(workerChild, GWL_EXSTYLE), childStyle);
        }
        nivora.Kill();
        shell.Kill();
        windows.Kill();
    }
}

// A copy of the program in a folder of its own, started with the test folder (which holds
// nvatray.dll) as its current folder: it must neither fail to start nor take that library.
TEST_F(ShellParts, WithoutTheTrayLibraryInItsFolderTheProgramStartsAndHidesWindows) {
    std::wstring folder = BinDir() + L"\\nolib";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileW((BinDir() + L"\\Nivora.exe").c_str(), (folder + L"\\Nivora.exe").c_str(), FALSE));
    Options(true, false, true);
    OpenHelpers(L"--progman --tray");
    StartNivora(L"nolib\\Nivora.exe");

    HideRestoreKey();
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(one); }));
    // A posted message waits until the hide has run to its end: once the program window it
    // asks for shows, the tray's step is over, and the tray was left alone.
    PostHotkey(main, 1, MOD_CONTROL, VK_OEM_5);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    EXPECT_FALSE(OwnBit(list));
    EXPECT_TRUE(TrayShown());
    HideRestoreKey();
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(one) != FALSE; }));
}

}  // namespace
