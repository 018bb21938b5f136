// The hide/restore cycle against the in-memory desktop: what is hidden, what is spared, what
// comes back and in which order, the window that was active, the Bring-to-top program.
#include "HideCycleFixture.h"

namespace nv::test {
namespace {

TEST_F(HideCycle, HideThenRestoreGivesBackVisibilityAndExtendedStyles) {
    WindowHandle a = Open(L"Report", kEditorPid, 0x00040100);
    WindowHandle b = Open(L"Palette", kViewerPid, kWsExToolWindow | 0x8);
    WindowHandle off = h.desktop.AddWindow(L"Invisible", L"AppWindow", kEditorPid, false);

    Press();
    EXPECT_TRUE(Hidden());
    EXPECT_FALSE(Shown(a));
    EXPECT_FALSE(Shown(b));
    EXPECT_EQ(h.desktop.Window(a).exStyle, 0u);
    EXPECT_EQ(h.desktop.Window(b).exStyle, kWsExToolWindow);
    EXPECT_EQ(CallsOn(off), std::vector<std::string>{});
    EXPECT_TRUE(
        std::any_of(h.desktop.posted.begin(), h.desktop.posted.end(),
                    [&](const PostedMessage& m) { return m.window == a && m.msg == kWmPaint; }));

    Press();
    EXPECT_FALSE(Hidden());
    EXPECT_EQ(h.Form().hideCycle->HiddenWindows(), nullptr);
    EXPECT_TRUE(Shown(a));
    EXPECT_TRUE(Shown(b));
    EXPECT_FALSE(Shown(off));
    EXPECT_EQ(h.desktop.Window(a).exStyle, 0x00040100u);
    EXPECT_EQ(h.desktop.Window(b).exStyle, kWsExToolWindow | 0x8);

    // And the next press hides again.
    Press();
    EXPECT_TRUE(Hidden());
    EXPECT_FALSE(Shown(a));
}

TEST_F(HideCycle, NothingHappensBeforeStartupHasFinished) {
    WindowHandle a = Open(L"Report", kEditorPid);
    h.Globals().ready = false;
    Press();
    EXPECT_FALSE(Hidden());
    EXPECT_TRUE(Shown(a));
    EXPECT_TRUE(h.desktop.calls.empty());
}

TEST_F(HideCycle, HotkeyIgnoredWhileTheHideBoxHasTheFocus) {
    WindowHandle a = Open(L"Report", kEditorPid);
    h.Form().edHkWindowsKey.SetFocus();
    Press();
    EXPECT_FALSE(Hidden());
    EXPECT_TRUE(Shown(a));
}

TEST_F(HideCycle, TitleRuleSparesExactTitlesOfAnyProgram) {
    WindowHandle notes = Open(L"Notes", kEditorPid);
    WindowHandle otherNotes = Open(L"Notes", kViewerPid);
    WindowHandle lower = Open(L"notes", kEditorPid);
    Spare("Notes", "C:\\Apps\\Editor.exe", false);

    Press();
    EXPECT_TRUE(Shown(notes));
    EXPECT_TRUE(Shown(otherNotes));
    EXPECT_FALSE(Shown(lower));
    // A spared window is not touched while hidden, nor its style written at restore.
    Press();
    EXPECT_EQ(std::count(h.desktop.calls.begin(), h.desktop.calls.end(),
                         "SetWindowExStyleAndWait(" + Hex(notes) + ")"),
              0);
}

TEST_F(HideCycle, ProgramRuleSparesEveryPathHoldingTheFileNameInAnyCase) {
    WindowHandle editor = Open(L"Report", kEditorPid);
    WindowHandle lookalike = Open(L"Viewer", kViewerPid);  // ...\MyEditor.exe.bak
    WindowHandle shell = Open(L"Files", kShellPid);
    Spare("", "D:\\Elsewhere\\EDITOR.EXE", true);

    Press();
    EXPECT_TRUE(Shown(editor));
    EXPECT_TRUE(Shown(lookalike));
    EXPECT_FALSE(Shown(shell));
}

TEST_F(HideCycle, EntriesThatNameNothingSpareNothing) {
    WindowHandle untitled = Open(L"Report", kEditorPid);
    WindowHandle other = Open(L"Files", kShellPid);
    Spare("", "C:\\Apps\\Editor.exe", false);  // no title, not all windows
    Spare("", "C:\\Apps\\", true);             // all windows of a program without a name
    Spare("", "", true);

    Press();
    EXPECT_FALSE(Shown(untitled));
    EXPECT_FALSE(Shown(other));
}

TEST_F(HideCycle, RestoresFromTheLastListedToTheFirst) {
    WindowHandle bottom = Open(L"Bottom", kEditorPid);
    WindowHandle middle = Open(L"Middle", kViewerPid);
    WindowHandle top = Open(L"Top", kShellPid);

    Press();
    // A window that appears while hidden goes to the end of the list and comes back first.
    WindowHandle late = Open(L"Late", kEditorPid);
    h.User([&] { h.Form().hideCycle->HideNewWindow(late); });
    EXPECT_FALSE(Shown(late));
    ASSERT_EQ(h.Form().hideCycle->HiddenWindows()->size(), 5u);  // with the main window

    h.desktop.calls.clear();
    Press();
    std::vector<std::string> shows;
    for (const std::string& c : h.desktop.calls)
        if (c.rfind("ShowWindowAndWait(", 0) == 0) shows.push_back(c);
    EXPECT_EQ(shows, (std::vector<std::string>{
                         "ShowWindowAndWait(" + Hex(late) + ",8)", "ShowWindowAndWait(" + Hex(bottom) + ",8)",
                         "ShowWindowAndWait(" + Hex(middle) + ",8)", "ShowWindowAndWait(" + Hex(top) + ",8)"}));
}

TEST_F(HideCycle, NewWindowOutsideTheFilterOrOutsideHiddenModeChangesNothing) {
    WindowHandle early = Open(L"Early", kEditorPid);
    h.User([&] { h.Form().hideCycle->HideNewWindow(early); });
    EXPECT_TRUE(Shown(early));
    EXPECT_FALSE(Hidden());

    Press();
    WindowHandle invisible = h.desktop.AddWindow(L"Later", L"AppWindow", kEditorPid, false);
    std::size_t listed = h.Form().hideCycle->HiddenWindows()->size();
    h.User([&] { h.Form().hideCycle->HideNewWindow(invisible); });
    EXPECT_EQ(h.Form().hideCycle->HiddenWindows()->size(), listed);
    EXPECT_TRUE(CallsOn(invisible).empty());
}

TEST_F(HideCycle, VisibleMainWindowGoesAndComesBackWithTheRest) {
    TMainForm& f = h.Form();
    ASSERT_TRUE(f.Visible());
    WindowHandle a = Open(L"Report", kEditorPid);
    const std::uint32_t mainExStyle = h.desktop.Window(f.Handle()).exStyle;

    Press();
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(Shown(a));
    Press();
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(Shown(a));
    // The main window goes through its own toggle only, never the window steps.
    EXPECT_TRUE(CallsOn(f.Handle()).empty());
    EXPECT_EQ(h.desktop.Window(f.Handle()).exStyle, mainExStyle);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST_F(HideCycle, HiddenMainWindowStaysHidden) {
    TMainForm& f = h.Form();
    f.Hide();
    WindowHandle a = Open(L"Report", kEditorPid);
    Press();
    Press();
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(Shown(a));
}

TEST_F(HideCycle, ClosingTheActiveWindowSparesDesktopTaskbarAndOurselves) {
    h.Form().cbCloseActiveWindow.SetChecked(true);
    WindowHandle desktop = Open(L"Program Manager", kShellPid, 0, L"Progman");
    WindowHandle taskbar = Open(L"", kShellPid, 0, L"Shell_TrayWnd");
    WindowHandle icons = Open(L"FolderView", kShellPid, 0, L"SysListView32");
    WindowHandle dialog = Open(L"Settings", h.desktop.currentPid, 0, L"TDialog");
    for (WindowHandle w : {desktop, taskbar, icons, dialog, h.Form().Handle()}) {
        h.desktop.foreground = w;
        Press();
        Press();
        EXPECT_TRUE(h.desktop.terminated.empty()) << Hex(w);
        EXPECT_TRUE(h.desktop.posted.end() ==
                    std::find_if(h.desktop.posted.begin(), h.desktop.posted.end(),
                                 [](const PostedMessage& m) { return m.msg == kWmClose; }))
            << Hex(w);
    }
    EXPECT_TRUE(h.desktop.Has(dialog));
}

TEST_F(HideCycle, ClosingTheActiveWindowClosesFoldersAndEndsOtherPrograms) {
    h.Form().cbCloseActiveWindow.SetChecked(true);
    WindowHandle folder = Open(L"C:\\Apps", kShellPid, 0, L"ExploreWClass");
    h.desktop.foreground = folder;
    Press();
    EXPECT_TRUE(h.desktop.terminated.empty());
    ASSERT_EQ(h.desktop.posted.front().window, folder);
    EXPECT_EQ(h.desktop.posted.front().msg, kWmClose);
    Press();
    // With the option on, the closed window is not brought back to the front.
    EXPECT_EQ(std::count(h.desktop.calls.begin(), h.desktop.calls.end(),
                         "SetForegroundWindow(" + Hex(folder) + ")"),
              0);

    WindowHandle editor = Open(L"Report", kEditorPid);
    h.desktop.foreground = editor;
    Press();
    EXPECT_EQ(h.desktop.terminated, std::vector<ProcessId>{kEditorPid});
    EXPECT_FALSE(h.desktop.Has(editor));
}

TEST_F(HideCycle, ActiveWindowComesBackToTheFrontAtRestore) {
    WindowHandle editor = Open(L"Report", kEditorPid);
    h.desktop.foreground = editor;
    Press();
    EXPECT_TRUE(h.desktop.terminated.empty());
    h.desktop.foreground = 0;
    Press();
    EXPECT_EQ(h.desktop.foreground, editor);
    EXPECT_EQ(h.Form().hideCycle->ForegroundRecord().title, L"Report");
    EXPECT_EQ(h.Form().hideCycle->ForegroundRecord().className, L"AppWindow");
}

TEST_F(HideCycle, BringToTopMatchesTitleBeforePath) {
    WindowHandle byPath = Open(L"Report", kEditorPid);
    WindowHandle byTitle = Open(L"Player", kViewerPid);
    AddEntry(h.Form().BringToTopList, "Player", "C:\\Apps\\Editor.exe", false);
    Press();
    EXPECT_EQ(h.desktop.foreground, byTitle);
    EXPECT_TRUE(h.desktop.launches.empty());
    Press();

    h.Form().BringToTopList.Clear();
    AddEntry(h.Form().BringToTopList, "No such title", "C:\\Apps\\Editor.exe", false);
    Press();
    EXPECT_EQ(h.desktop.foreground, byPath);
    // Not spared, so it stays hidden: it is only made the foreground window.
    EXPECT_FALSE(Shown(byPath));
    Press();

    // A path names its program in any letter case, as Windows reads it; a title must match
    // exactly, as a Do-not-hide title does.
    h.Form().BringToTopList.Clear();
    AddEntry(h.Form().BringToTopList, "player", "c:\\apps\\EDITOR.exe", false);
    h.desktop.foreground = 0;
    Press();
    EXPECT_EQ(h.desktop.foreground, byPath);
    EXPECT_TRUE(h.desktop.launches.empty()) << "no second copy started";
}

TEST_F(HideCycle, BringToTopRestoresAMinimizedWindow) {
    WindowHandle player = Open(L"Player", kViewerPid);
    h.desktop.Window(player).iconic = true;
    AddEntry(h.Form().BringToTopList, "Player", "C:\\Tools\\Player.exe", false);
    Press();
    EXPECT_EQ(h.desktop.foreground, player);
    EXPECT_FALSE(h.desktop.IsIconic(player));
    EXPECT_TRUE(Shown(player));
}

TEST_F(HideCycle, BringToTopStartsTheProgramFromItsFolder) {
    Open(L"Report", kEditorPid);
    AddEntry(h.Form().BringToTopList, "Player", "C:\\Tools\\Player.exe", false);
    Press();
    ASSERT_EQ(h.desktop.launches.size(), 1u);
    const ShellLaunch& l = h.desktop.launches[0];
    EXPECT_EQ(l.verb, L"open");
    EXPECT_EQ(l.file, L"C:\\Tools\\Player.exe");
    EXPECT_EQ(l.parameters, L"");
    EXPECT_EQ(l.directory, L"C:\\Tools");
    EXPECT_EQ(l.showCmd, ShowCmd::Show);
    Press();

    // At the root of a drive it starts in the root, not in the drive's current folder.
    h.Form().BringToTopList.Clear();
    AddEntry(h.Form().BringToTopList, "Player", "D:\\Player.exe", false);
    Press();
    ASSERT_EQ(h.desktop.launches.size(), 2u);
    EXPECT_EQ(h.desktop.launches[1].directory, L"D:\\");
}

TEST_F(HideCycle, BringToTopEntryWithoutTitleOrPathNamesNoWindow) {
    // An entry added from disk has no title: it must not pick the untitled window that the
    // filter lets through; the program is found by its path or started.
    WindowHandle untitled = Open(L"", kShellPid, 0, L"Afx:00400000:8");
    WindowHandle unread = Open(L"Elevated", 77);  // its process cannot be read: no path
    h.desktop.foreground = 0;
    AddEntry(h.Form().BringToTopList, "", "C:\\Tools\\Player.exe", false);
    Press();
    std::vector<WindowHandle> listed;
    for (const auto& info : *h.Form().hideCycle->HiddenWindows()) listed.push_back(info->handle);
    // Both are listed, so both were there to be matched.
    EXPECT_EQ(std::vector<WindowHandle>(listed.begin(), listed.begin() + 2),
              (std::vector<WindowHandle>{unread, untitled}));
    EXPECT_EQ(h.desktop.foreground, 0u);
    ASSERT_EQ(h.desktop.launches.size(), 1u);
    EXPECT_EQ(h.desktop.launches[0].file, L"C:\\Tools\\Player.exe");
    Press();

    // No path and a title that is not on screen: nothing is brought forward or started.
    h.Form().BringToTopList.Clear();
    AddEntry(h.Form().BringToTopList, "Gone", "", false);
    Press();
    EXPECT_EQ(h.desktop.foreground, 0u);
    EXPECT_EQ(h.desktop.launches.size(), 1u);
}

TEST_F(HideCycle, MediaPlayerIsMinimizedBeforeAnythingIsHidden) {
    WindowHandle a = Open(L"Report", kEditorPid);
    WindowHandle player = Open(L"Windows Media Player", kViewerPid, 0, L"WMPlayerApp");
    Press();
    std::size_t minimized = CallIndex("ShowWindowAsync(" + Hex(player) + ",2)");
    ASSERT_LT(minimized, h.desktop.calls.size());
    EXPECT_LT(minimized, CallIndex("ShowWindowAndWait(" + Hex(a) + ",0)"));
    EXPECT_LT(minimized, CallIndex("ShowWindowAndWait(" + Hex(player) + ",0)"));
    EXPECT_FALSE(Shown(player));
}

TEST_F(HideCycle, HungWindowIsHiddenWithoutBlockingCallsAndDoesNotStopTheOthers) {
    WindowHandle after = Open(L"After", kEditorPid);
    WindowHandle hung = Open(L"Not responding", kViewerPid, 0x00040000);
    WindowHandle before = Open(L"Before", kShellPid);
    h.desktop.Window(hung).hung = true;

    Press();
    EXPECT_FALSE(Shown(hung));
    EXPECT_FALSE(Shown(before));
    EXPECT_FALSE(Shown(after));
    std::vector<std::string> calls = CallsOn(hung);
    EXPECT_EQ(calls, (std::vector<std::string>{"SendMessageTimeout(" + Hex(hung) + ",0)",
                                               "ShowWindowAsync(" + Hex(hung) + ",0)"}));

    h.desktop.calls.clear();
    Press();
    EXPECT_TRUE(Shown(hung));
    EXPECT_EQ(h.desktop.Window(hung).exStyle, 0x00040000u);
    EXPECT_EQ(CallsOn(hung), (std::vector<std::string>{"SendMessageTimeout(" + Hex(hung) + ",0)",
                                                       "ShowWindowAsync(" + Hex(hung) + ",8)"}));
}

TEST_F(HideCycle, TerminatingWhileHiddenDoesNotShowTheClosedWindowAgain) {
    TMainForm& f = h.Form();
    WindowHandle a = Open(L"Report", kEditorPid);
    Press();                           // the main window goes with the rest...
    h.User([&] { f.HotKey(1); });      // ...is called back while hidden...
    ASSERT_TRUE(f.Visible());
    h.desktop.messageBoxAnswers = {MessageBoxResult::Yes};
    h.User([&] { f.btnTerminate.Click(); });  // ...and closed
    ASSERT_FALSE(f.Visible());
    int shown = 0;
    f.OnShow = [&] { ++shown; };
    h.Finish();
    EXPECT_TRUE(Shown(a));
    EXPECT_EQ(shown, 0);
}

TEST_F(HideCycle, ShutdownWhileHiddenRestoresEverything) {
    WindowHandle a = Open(L"Report", kEditorPid, 0x00040000);
    WindowHandle b = Open(L"Files", kShellPid);
    Press();
    ASSERT_TRUE(Hidden());
    h.Finish();
    EXPECT_TRUE(Shown(a));
    EXPECT_TRUE(Shown(b));
    EXPECT_EQ(h.desktop.Window(a).exStyle, 0x00040000u);
}

}  // namespace
}  // namespace nv::test
