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

// Wherever the shell keeps the view, every version finds it; the version only says where to
// look first, which matters only where a stale view is left elsewhere.
TEST(DesktopListView, IsFoundWhereverTheShellKeepsItWhateverTheVersion) {
    const OsVersion versions[] = {{6, 0, 6002},  {6, 1, 7601},  {6, 3, 9600},
                                  {10, 0, 19045}, {10, 0, 22631}, {10, 0, 26100}};
    enum Tree { Unraised, Raised, Build24H2, InManagersWorkerW };
    for (Tree tree : {Unraised, Raised, Build24H2, InManagersWorkerW}) {
        FakeDesktop d;
        WindowHandle expected = 0;
        AddIconView(d, d.AddWindow(L"Wallpaper", L"WorkerW", 1));  // titled: never looked in
        d.AddChildWindow(d.AddWindow(L"", L"WorkerW", 1), L"", L"SHELLDLL_DefView");
        WindowHandle manager = d.AddWindow(L"Program Manager", L"Progman", 1);
        switch (tree) {
            case Unraised:  // Windows 7 to 11 before a slideshow or wallpaper program
                expected = AddIconView(d, manager);
                d.AddWindow(L"", L"WorkerW", 1);
                break;
            case Raised:  // the view moved into a top-level WorkerW, beside an empty one
                d.AddWindow(L"", L"WorkerW", 1);
                expected = AddIconView(d, d.AddWindow(L"", L"WorkerW", 1));
                break;
            case Build24H2:  // the view under Program Manager, an empty WorkerW child beside it
                expected = AddIconView(d, manager);
                d.AddChildWindow(manager, L"", L"WorkerW");
                break;
            case InManagersWorkerW:
                d.AddChildWindow(manager, L"", L"WorkerW");
                expected = AddIconView(d, d.AddChildWindow(manager, L"", L"WorkerW"));
                break;
        }
        for (const OsVersion& v : versions)
            EXPECT_EQ(FindDesktopListView(d, v), expected)
                << "tree " << tree << ", " << v.major << "." << v.minor << "." << v.build;
    }

    FakeDesktop d;
    WindowHandle managerList = AddIconView(d, d.AddWindow(L"Program Manager", L"Progman", 1));
    WindowHandle workerList = AddIconView(d, d.AddWindow(L"", L"WorkerW", 1));
    EXPECT_EQ(FindDesktopListView(d, {10, 0, 21337}), workerList);
    EXPECT_EQ(FindDesktopListView(d, {10, 0, 21336}), managerList);
    EXPECT_EQ(FindDesktopListView(d, {10, 0, 26100}), managerList);
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

TEST_F(ShellParts, TheTaskbarOfEveryMonitorHidesAndOnlyThoseHiddenComeBack) {
    WindowHandle second = Open(L"", kShellPid, kTaskbarStyle, L"Shell_SecondaryTrayWnd");
    WindowHandle third = Open(L"", kShellPid, kWsExToolWindow, L"Shell_SecondaryTrayWnd");
    SetOptions(false, true, false);
    Press();
    for (WindowHandle bar : {taskbar, second, third}) EXPECT_FALSE(Shown(bar)) << Hex(bar);
    Press();
    for (WindowHandle bar : {taskbar, second, third}) EXPECT_TRUE(Shown(bar)) << Hex(bar);
    EXPECT_EQ(ExStyle(second), kTaskbarStyle);
    EXPECT_EQ(ExStyle(third), kWsExToolWindow);

    // A monitor unplugged while hidden takes its taskbar with it; one plugged in brings a new
    // one, showing, which the restore leaves as it is.
    Press();
    h.desktop.DestroyWindow(third);
    WindowHandle fourth = Open(L"", kShellPid, 0x08, L"Shell_SecondaryTrayWnd");
    h.desktop.calls.clear();
    Press();
    EXPECT_TRUE(Shown(second));
    EXPECT_TRUE(CallsOn(fourth).empty());
    EXPECT_TRUE(CallsOn(third).empty());

    // With the box unticked no taskbar is touched.
    SetOptions(false, false, false);
    Press();
    EXPECT_TRUE(Shown(second));
    Press();
}

// The taskbar of Windows 11 from build 22621 on draws the tray icons itself: its toolbars hold
// no buttons, and no documented way hides one program's icon there.
TEST_F(ShellParts, WhereTheTaskbarDrawsTheTrayIconsTheBoxSaysSoOnceAndTheLibraryIsNotCalled) {
    h.desktop.version = {10, 0, 22631};
    WindowHandle notify = h.desktop.AddChildWindow(taskbar, L"", L"TrayNotifyWnd");
    WindowHandle bar = h.desktop.AddChildWindow(notify, L"", L"ToolbarWindow32");
    WindowHandle overflow = Open(L"", kShellPid, 0, L"NotifyIconOverflowWindow");
    WindowHandle hiddenIcons = h.desktop.AddChildWindow(overflow, L"", L"ToolbarWindow32");
    TMainForm& f = h.Form();
    f.RefreshAvailableWindows();
    EXPECT_NE(f.cbHideTray.hint.find(L"does not let tray icons be hidden one by one"),
              std::wstring::npos);
    EXPECT_NE(f.cbHideTray.hint.find(L"Hide Taskbar"), std::wstring::npos);

    // Ticked by the user: told once a run, however often it is ticked.
    for (int i = 0; i < 3; ++i) h.User([&] { f.cbHideTray.Click(); });
    ASSERT_TRUE(f.cbHideTray.Checked());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Information);
    EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"Tick \"Hide Taskbar\""), std::wstring::npos);
    Press();
    Press();
    EXPECT_TRUE(h.desktop.trayCalls.empty());

    // Icons in a toolbar (in the overflow here, or a toolbar that does not answer): the library
    // hides them as on older taskbars, and the hint is the usual one again.
    h.desktop.Window(hiddenIcons).buttons = 2;
    Press();
    Press();
    EXPECT_EQ(h.desktop.trayCalls, (std::vector<std::string>{"HideTray(1,739402)", "RestoreTray"}));
    EXPECT_EQ(f.cbHideTray.hint, L"Hide the tray icons when the hot key is pressed");
    h.desktop.Window(hiddenIcons).buttons = 0;
    h.desktop.Window(bar).hung = true;
    EXPECT_TRUE(TrayIconsHideOneByOne(h.desktop, h.desktop.version));
    h.desktop.Window(bar).hung = false;
    // The same tree on Windows 10 is an older taskbar with no icons at the moment.
    EXPECT_TRUE(TrayIconsHideOneByOne(h.desktop, {10, 0, 19045}));
    EXPECT_FALSE(TrayIconsHideOneByOne(h.desktop, {10, 0, 26100}));
}

// Start-up ticks the box from the settings: nothing is said before the program is up.
TEST(ShellPartsTray, NothingIsSaidAtStartUpWhereTheTaskbarDrawsTheTrayIcons) {
    Harness h;
    h.desktop.version = {10, 0, 26100};
    h.desktop.wmiVersion = L"10.0.26100";
    WindowHandle taskbar = h.desktop.AddWindow(L"", L"Shell_TrayWnd", 300);
    h.desktop.AddChildWindow(h.desktop.AddChildWindow(taskbar, L"", L"TrayNotifyWnd"), L"",
                             L"ToolbarWindow32");
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.Form().cbHideTray.Checked());
    EXPECT_NE(h.Form().cbHideTray.hint.find(L"one by one"), std::wstring::npos);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
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
