// The shell parts of the cycle: which window is the desktop icon view on each Windows version,
// and that a restore puts back exactly what the hide concealed, whatever the options say by then.
#include "HideCycleFixture.h"
#include "conceal/ShellPartsStep.h"

namespace nv::test {
namespace {

constexpr std::uint32_t kListStyle = 0x00000204;     // the icon view's own extended style
constexpr std::uint32_t kTaskbarStyle = 0x00000088;  // tool window, topmost

// The icon view in a host window: host > untitled SHELLDLL_DefView > "FolderView".
WindowHandle AddIconView(FakeDesktop& d, WindowHandle host) {
    WindowHandle view = d.AddChildWindow(host, L"", L"SHELLDLL_DefView");
    WindowHandle list = d.AddChildWindow(view, L"FolderView", L"SysListView32");
    d.Window(list).exStyle = kListStyle;
    return list;
}

TEST(DesktopListView, TheVersionChoosesTheSearchAndWorkerWWithoutTheViewArePassedOver) {
    FakeDesktop d;
    // In Z order, top first: a titled WorkerW holding a view (never looked at), an untitled
    // WorkerW with an empty SHELLDLL_DefView, one without any, the one with the view, then
    // Program Manager with its own view.
    WindowHandle manager = d.AddWindow(L"Program Manager", L"Progman", 1);
    WindowHandle managerList = AddIconView(d, manager);
    WindowHandle workerList = AddIconView(d, d.AddWindow(L"", L"WorkerW", 1));
    d.AddWindow(L"", L"WorkerW", 1);
    d.AddChildWindow(d.AddWindow(L"", L"WorkerW", 1), L"", L"SHELLDLL_DefView");
    AddIconView(d, d.AddWindow(L"Wallpaper", L"WorkerW", 1));

    const std::pair<OsVersion, WindowHandle> table[] = {{{10, 0, 21337}, workerList},
                                                        {{10, 0, 22631}, workerList},
                                                        {{10, 0, 21336}, managerList},
                                                        {{10, 0, 19045}, managerList},
                                                        {{6, 1, 7601}, managerList},
                                                        {{6, 2, 9200}, managerList},
                                                        {{6, 3, 9600}, managerList},
                                                        {{6, 0, 6002}, 0},
                                                        {{5, 1, 2600}, 0},
                                                        {{6, 4, 9841}, 0}};
    for (const auto& [version, expected] : table)
        EXPECT_EQ(FindDesktopListView(d, version), expected)
            << version.major << "." << version.minor << "." << version.build;

    // The shell has moved the view away from Program Manager: the older search finds none.
    d.DestroyWindow(manager);
    d.AddWindow(L"Program Manager", L"Progman", 1);
    EXPECT_EQ(FindDesktopListView(d, {10, 0, 19045}), 0u);
}

class ShellParts : public HideCycle {
  protected:
    void SetUp() override {
        HideCycle::SetUp();
        manager = h.desktop.AddWindow(L"Program Manager", L"Progman", kShellPid);
        icons = AddIconView(h.desktop, manager);
        taskbar = Open(L"", kShellPid, kTaskbarStyle, L"Shell_TrayWnd");
        SetOptions(false, false, false);
    }
    void SetOptions(bool desktop, bool taskbar, bool tray) {
        h.Form().cbHideDeskTop.SetChecked(desktop);
        h.Form().cbHideTaskBar.SetChecked(taskbar);
        h.Form().cbHideTray.SetChecked(tray);
    }
    std::uint32_t ExStyle(WindowHandle w) { return h.desktop.Window(w).exStyle; }

    WindowHandle manager = 0, icons = 0, taskbar = 0;
};

TEST_F(ShellParts, TheTickedPartsHideAfterTheWindowsAndComeBackWithTheirStyles) {
    WindowHandle report = Open(L"Report", kEditorPid);
    SetOptions(true, true, true);
    h.desktop.calls.clear();

    Press();
    EXPECT_FALSE(Shown(report));
    EXPECT_FALSE(Shown(icons));
    EXPECT_FALSE(Shown(taskbar));
    EXPECT_EQ(ExStyle(icons), 0u);  // cut down to its tool-window bit
    EXPECT_EQ(ExStyle(taskbar), kWsExToolWindow);
    EXPECT_LT(CallIndex("ShowWindowAndWait(" + Hex(report) + ",0)"),
              CallIndex("ShowWindowAndWait(" + Hex(icons) + ",0)"));
    EXPECT_EQ(h.desktop.trayCalls, (std::vector<std::string>{"HideTray(1,739402)"}));

    Press();
    EXPECT_TRUE(Shown(icons));
    EXPECT_TRUE(Shown(taskbar));
    EXPECT_EQ(ExStyle(icons), kListStyle);
    EXPECT_EQ(ExStyle(taskbar), kTaskbarStyle);
    EXPECT_EQ(h.desktop.trayCalls, (std::vector<std::string>{"HideTray(1,739402)", "RestoreTray"}));
    EXPECT_LT(CallIndex("ShowWindowAndWait(" + Hex(taskbar) + ",8)"),
              CallIndex("ShowWindowAndWait(" + Hex(report) + ",8)"));
}

TEST_F(ShellParts, OptionsChangedWhileHiddenDoNotChangeWhatIsRestored) {
    SetOptions(true, false, false);
    Press();
    EXPECT_FALSE(Shown(icons));
    SetOptions(false, true, true);  // while hidden
    h.desktop.calls.clear();
    Press();
    EXPECT_TRUE(Shown(icons));
    EXPECT_EQ(ExStyle(icons), kListStyle);
    EXPECT_TRUE(CallsOn(taskbar).empty());  // never hidden, so not shown either
    EXPECT_TRUE(h.desktop.trayCalls.empty());

    // The other way round: ticked at the hide, unticked before the restore.
    Press();
    EXPECT_FALSE(Shown(taskbar));
    SetOptions(false, false, false);
    Press();
    EXPECT_TRUE(Shown(taskbar));
    EXPECT_EQ(h.desktop.trayCalls, (std::vector<std::string>{"HideTray(1,739402)", "RestoreTray"}));
}

TEST_F(ShellParts, TheTrayIsRestoredOnlyOnceItHasBeenHidden) {
    Press();
    Press();
    EXPECT_TRUE(h.desktop.trayCalls.empty());
    SetOptions(false, false, true);
    Press();
    Press();
    SetOptions(false, false, false);
    Press();
    Press();  // the library puts back nothing it did not hide
    EXPECT_EQ(h.desktop.trayCalls,
              (std::vector<std::string>{"HideTray(1,739402)", "RestoreTray", "RestoreTray"}));
}

TEST_F(ShellParts, IconsSwitchedOffInTheShellStayOffAndARestartedShellIsShownAsItIs) {
    h.desktop.Window(icons).style &= ~kWsVisible;
    SetOptions(true, true, false);
    Press();
    EXPECT_TRUE(CallsOn(icons).empty());
    EXPECT_FALSE(Shown(taskbar));
    // Explorer restarts while hidden: a new taskbar, showing, with a style of its own.
    h.desktop.DestroyWindow(taskbar);
    WindowHandle newTaskbar = Open(L"", kShellPid, 0x08, L"Shell_TrayWnd");
    Press();
    EXPECT_FALSE(Shown(icons));
    EXPECT_TRUE(Shown(newTaskbar));
    EXPECT_EQ(ExStyle(newTaskbar), 0x08u);
}

TEST_F(ShellParts, AtShutDownInHiddenModeTheShellPartsComeBack) {
    SetOptions(true, true, true);
    Press();
    h.Finish();
    EXPECT_TRUE(Shown(icons));
    EXPECT_TRUE(Shown(taskbar));
    EXPECT_EQ(h.desktop.trayCalls.back(), "RestoreTray");
}

TEST(ShellPartsLibrary, IsBoundByFullPathAndWithoutItTheTrayIsLeftAlone) {
    Harness h;
    h.desktop.trayLibraryPresent = false;
    WindowHandle report = h.desktop.AddWindow(L"Report", L"AppWindow", 100);
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.desktop.trayLibraryLoads,
              (std::vector<std::wstring>{L"C:\\Program Files\\Nivora\\nvatray.dll"}));
    ASSERT_TRUE(h.Form().cbHideTray.Checked());
    h.User([&] { h.Form().HotKey(0); });
    EXPECT_FALSE(h.desktop.IsWindowVisible(report));
    h.User([&] { h.Form().HotKey(0); });
    EXPECT_TRUE(h.desktop.IsWindowVisible(report));
    EXPECT_TRUE(h.desktop.trayCalls.empty());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

}  // namespace
}  // namespace nv::test
