// The hide/restore cycle against the in-memory desktop: what is hidden, what is spared, what
// comes back and in which order, the window that was active, the Bring-to-top program.
#include "HideCycleFixture.h"

#include <set>

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

// "Close the window that was active before hiding": what each window in front gets. Ending the
// process of a window of the shell would end the taskbar, the desktop and every folder window.
TEST_F(HideCycle, ClosingTheActiveWindowNeverEndsTheShellOrAProcessNotOurs) {
    h.Form().cbCloseActiveWindow.SetChecked(true);
    constexpr ProcessId kFramesPid = 400, kServicePid = 401, kOtherSessionPid = 402,
                        kClosedPid = 403;
    h.desktop.userSids[kServicePid] = L"S-1-5-18";
    h.desktop.sessions[kOtherSessionPid] = 2;
    h.desktop.closedProcesses.insert(kClosedPid);
    WindowHandle desktop = Open(L"Program Manager", kShellPid, 0, L"Progman");
    h.desktop.shellWindow = desktop;
    enum Fate { Nothing, Closed, Ended };
    struct Case {
        const wchar_t* title;
        const wchar_t* className;
        ProcessId pid;
        Fate fate;
    };
    const Case cases[] = {
        {L"Program Manager", L"Progman", kShellPid, Nothing},
        {L"", L"WorkerW", kShellPid, Nothing},
        {L"", L"Progman", kShellPid, Nothing},
        {L"", L"Shell_TrayWnd", kShellPid, Nothing},
        {L"", L"Shell_SecondaryTrayWnd", kShellPid, Nothing},
        {L"FolderView", L"SysListView32", kShellPid, Nothing},
        {L"Settings", L"TDialog", h.desktop.currentPid, Nothing},  // ours
        {L"C:\\Apps", L"CabinetWClass", kShellPid, Closed},
        {L"C:\\Apps", L"ExploreWClass", kShellPid, Closed},
        {L"Copying", L"OperationStatusWindow", kShellPid, Closed},  // any window of the shell
        {L"Calculator", L"ApplicationFrameWindow", kFramesPid, Closed},
        {L"Updates", L"ServiceWindow", kServicePid, Closed},
        {L"Remote", L"AppWindow", kOtherSessionPid, Closed},
        {L"Guarded", L"AppWindow", kClosedPid, Closed},
        {L"Report", L"AppWindow", kEditorPid, Ended},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.className));
        h.desktop.posted.clear();
        h.desktop.terminated.clear();
        h.desktop.foreground = Open(c.title, c.pid, 0, c.className);
        Press();
        bool closed = std::any_of(h.desktop.posted.begin(), h.desktop.posted.end(),
                                  [&](const PostedMessage& m) {
                                      return m.window == h.desktop.foreground && m.msg == kWmClose;
                                  });
        EXPECT_EQ(closed, c.fate == Closed);
        EXPECT_EQ(h.desktop.terminated,
                  c.fate == Ended ? std::vector<ProcessId>{c.pid} : std::vector<ProcessId>{});
        Press();
    }
    // The main window in front: nothing either.
    h.desktop.posted.clear();
    h.desktop.terminated.clear();
    h.desktop.foreground = h.Form().Handle();
    Press();
    Press();
    EXPECT_TRUE(std::none_of(h.desktop.posted.begin(), h.desktop.posted.end(),
                             [](const PostedMessage& m) { return m.msg == kWmClose; }));
    EXPECT_TRUE(h.desktop.terminated.empty());
}

TEST_F(HideCycle, AClosedWindowIsNotBroughtBackToTheFront) {
    h.Form().cbCloseActiveWindow.SetChecked(true);
    WindowHandle folder = Open(L"C:\\Apps", kShellPid, 0, L"CabinetWClass");
    h.desktop.foreground = folder;
    Press();
    Press();
    EXPECT_EQ(std::count(h.desktop.calls.begin(), h.desktop.calls.end(),
                         "SetForegroundWindow(" + Hex(folder) + ")"),
              0);
}

// Windows that DWM keeps cloaked still count as visible to the system.
TEST_F(HideCycle, CloakedWindowsAreLeftAloneUnlessTheShellKeepsThemOnAnotherDesktop) {
    struct Case {
        const wchar_t* title;
        std::uint32_t cloaked;
        bool hidden;
    };
    const Case cases[] = {
        {L"Start", kCloakedApp, false},                         // the shell's own, off screen
        {L"Search results", kCloakedInherited, false},          // through its owner
        {L"Mail", kCloakedApp | kCloakedShell, false},          // a suspended app
        {L"Report", kCloakedShell, true},                       // on another virtual desktop
        {L"Find", kCloakedShell | kCloakedInherited, true},     // its owner is there too
    };
    std::vector<WindowHandle> windows;
    for (const Case& c : cases) {
        windows.push_back(Open(c.title, kEditorPid));
        h.desktop.Window(windows.back()).cloaked = c.cloaked;
    }
    h.Form().RefreshAvailableWindows();
    std::set<std::wstring> listed;
    for (int i = 0; i < h.Form().AvailableWindowsList.Count(); ++i)
        listed.insert(h.Form().AvailableWindowsList.Item(i).SubItems().at(0));
    Press();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(ToUtf8(cases[i].title));
        EXPECT_EQ(listed.count(cases[i].title) == 1, cases[i].hidden);
        EXPECT_EQ(Shown(windows[i]), !cases[i].hidden);
        if (!cases[i].hidden) {
            EXPECT_TRUE(CallsOn(windows[i]).empty());
        }
    }
    Press();
    for (WindowHandle w : windows) EXPECT_TRUE(Shown(w));
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
