// The cycle's steps: the three orders they run in, and the rule that no step waits on another
// program: a window that does not answer never stalls the cycle, a busy program delays only its
// own windows, and a window that was only busy gets its extended style back once it answers.
#include "HideCycleFixture.h"
#include "conceal/RecoveryRecord.h"

namespace nv::test {
namespace {

// Stands in front of a step and writes down each call before passing it on.
class RecordingStep final : public ICycleStep {
  public:
    RecordingStep(std::vector<std::string>& log, std::string name,
                  std::unique_ptr<ICycleStep> inner)
        : m_log(log), m_name(std::move(name)), m_inner(std::move(inner)) {}
    void Hide() override { Note("Hide", &ICycleStep::Hide); }
    void Restore() override { Note("Restore", &ICycleStep::Restore); }
    void RestoreAtShutdown() override { Note("Shutdown", &ICycleStep::RestoreAtShutdown); }

  private:
    void Note(const char* what, void (ICycleStep::*call)()) {
        m_log.push_back(m_name + "." + what);
        if (m_inner) (m_inner.get()->*call)();
    }
    std::vector<std::string>& m_log;
    std::string m_name;
    std::unique_ptr<ICycleStep> m_inner;
};

TEST_F(HideCycle, StepsRunInTheHideTheRestoreAndTheShutdownOrder) {
    std::vector<std::string> log;
    THideCycle& cycle = *h.Form().hideCycle;
    const std::pair<TStepKind, const char*> kinds[] = {
        {TStepKind::ActiveWindow, "Active"}, {TStepKind::DisplayMode, "Display"},
        {TStepKind::Wallpaper, "Wallpaper"}, {TStepKind::Volume, "Volume"},
        {TStepKind::Windows, "Windows"},     {TStepKind::BringToTop, "BringToTop"},
        {TStepKind::ShellParts, "Shell"}};
    for (auto [kind, name] : kinds)
        cycle.Plug(kind, std::make_unique<RecordingStep>(log, name, cycle.Plug(kind, nullptr)));
    Open(L"Report", kEditorPid);

    Press();
    EXPECT_EQ(log, (std::vector<std::string>{"Active.Hide", "Display.Hide", "Wallpaper.Hide",
                                             "Volume.Hide", "Windows.Hide", "BringToTop.Hide",
                                             "Shell.Hide"}));
    ASSERT_TRUE(Hidden());
    log.clear();
    Press();
    EXPECT_EQ(log,
              (std::vector<std::string>{"Shell.Restore", "Display.Restore", "Wallpaper.Restore",
                                        "Volume.Restore", "Windows.Restore", "Active.Restore"}));
    EXPECT_FALSE(Hidden());
    Press();
    log.clear();
    h.Finish();
    EXPECT_EQ(log,
              (std::vector<std::string>{"Display.Shutdown", "Wallpaper.Shutdown", "Shell.Shutdown",
                                        "Volume.Shutdown", "Windows.Shutdown"}));
}

// The main window's entry stands where the window stands in Z order among the listed ones.
TEST(HideCycleList, MainWindowIsListedWhereItStandsInZOrder) {
    Harness h;
    WindowHandle below = h.desktop.AddWindow(L"Below", L"AppWindow", 100);
    ASSERT_TRUE(h.Start());
    WindowHandle above = h.desktop.AddWindow(L"Above", L"AppWindow", 100);
    h.User([&] { h.Form().HotKey(0); });
    const auto* list = h.Form().hideCycle->HiddenWindows();
    ASSERT_NE(list, nullptr);
    std::vector<WindowHandle> order;
    for (const auto& info : *list) order.push_back(info->handle);
    EXPECT_EQ(order, (std::vector<WindowHandle>{above, h.Form().Handle(), below}));
}

// Every window the cycle touches here has stopped answering. The fake fails the test on any
// call that would wait for such a window's thread.
TEST_F(HideCycle, WindowsThatDoNotAnswerNeverHoldTheCycle) {
    TMainForm& f = h.Form();
    WindowHandle player = Open(L"Windows Media Player", kViewerPid, 0, L"WMPlayerApp");
    WindowHandle front = Open(L"Player", kViewerPid);
    WindowHandle active = Open(L"Report", kEditorPid, 0x00040000);
    for (WindowHandle w : {player, front, active}) h.desktop.Window(w).hung = true;
    h.desktop.Window(front).iconic = true;
    h.desktop.foreground = active;
    AddEntry(f.BringToTopList, "Player", "C:\\Tools\\Player.exe", false);

    Press();
    EXPECT_TRUE(Hidden());
    EXPECT_EQ(h.desktop.foreground, front);
    EXPECT_FALSE(h.desktop.IsIconic(front));  // restored with the call that does not wait
    Press();
    EXPECT_FALSE(Hidden());
    EXPECT_EQ(h.desktop.foreground, active);
    for (WindowHandle w : {player, active}) EXPECT_TRUE(Shown(w));
    EXPECT_EQ(h.desktop.Window(active).exStyle, 0x00040000u);
}

TEST_F(HideCycle, BusyWindowGetsItsStyleBackWhenItAnswersAgain) {
    TMainForm& f = h.Form();
    WindowHandle busy = Open(L"Report", kEditorPid, 0x00040100);
    Press();
    ASSERT_EQ(h.desktop.Window(busy).exStyle, 0u);

    // Busy when the restore asks it: shown at once, without waiting, with its cut style.
    h.desktop.Window(busy).unanswered = 2;
    Press();
    EXPECT_TRUE(Shown(busy));
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0u);
    ASSERT_TRUE(f.StyleRetryTimer.Enabled());
    f.StyleRetryTimer.Tick();  // still busy
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0u);
    EXPECT_TRUE(f.StyleRetryTimer.Enabled());
    f.StyleRetryTimer.Tick();  // answers now
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x00040100u);
    EXPECT_FALSE(f.StyleRetryTimer.Enabled());
}

TEST_F(HideCycle, StyleOwedToABusyWindowSurvivesTheNextHide) {
    TMainForm& f = h.Form();
    WindowHandle busy = Open(L"Report", kEditorPid, 0x00040100);
    Press();
    h.desktop.Window(busy).unanswered = 1;
    Press();
    ASSERT_EQ(h.desktop.Window(busy).exStyle, 0u);
    // Hidden again before the retry came: it is listed with its cut style, yet owed the old one.
    Press();
    Press();
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x00040100u);
    EXPECT_FALSE(f.hideCycle->RetryExtendedStyles());  // nothing is owed any more
}

// Whether the owed style is written by the retry or taken over by the next hide, a handle that
// has come to another program's window, or to a later run of the same program, owes nothing.
TEST_F(HideCycle, OwedStyleIsNotGivenToAWindowThatTookItsHandle) {
    TMainForm& f = h.Form();
    for (bool nextHide : {false, true})
        for (bool sameIdLaterRun : {false, true}) {
            SCOPED_TRACE(std::string(nextHide ? "next hide" : "retry") +
                         (sameIdLaterRun ? ", same id, later run" : ", other program"));
            WindowHandle busy = Open(L"Report", kEditorPid, 0x00040100);
            Press();
            h.desktop.Window(busy).unanswered = 1;
            Press();
            // The program closed the window and another one got the same handle.
            if (sameIdLaterRun)
                h.desktop.processCreationTimes[kEditorPid] = 0x77777;
            else
                h.desktop.Window(busy).pid = kViewerPid;
            h.desktop.Window(busy).exStyle = 0x8;
            if (nextHide) {
                Press();
                Press();
            } else {
                f.StyleRetryTimer.Tick();
                EXPECT_FALSE(f.StyleRetryTimer.Enabled());
            }
            EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x8u);
            EXPECT_FALSE(f.hideCycle->RetryExtendedStyles());
            h.desktop.processCreationTimes.clear();
            h.desktop.DestroyWindow(busy);
        }
}

// Each program's windows are dealt with on their own: those of a program that answers late are
// hidden, and shown again, when it answers; the others meanwhile, and in their Z order.
TEST_F(HideCycle, AProgramThatAnswersLateDelaysOnlyItsOwnWindows) {
    constexpr ProcessId kBusyPid = 400;
    std::vector<WindowHandle> busy, others;
    // Opened in turns, so that the programs' windows lie between each other in Z order.
    for (int i = 0; i < 2; ++i) {
        others.push_back(Open(L"Report " + std::to_wstring(i), kEditorPid));
        busy.push_back(Open(L"Busy " + std::to_wstring(i), kBusyPid, 0x40100));
        others.push_back(Open(L"Files " + std::to_wstring(i), kShellPid));
    }
    std::vector<WindowHandle> all = others;
    all.insert(all.end(), busy.begin(), busy.end());
    const std::vector<WindowHandle> zOrder = InZOrder(all);

    for (bool hiding : {true, false}) {
        SCOPED_TRACE(hiding ? "hide" : "restore");
        h.desktop.BusyFor(kBusyPid, 400);
        const std::uint64_t pressed = h.desktop.clockMs;
        Press();
        for (WindowHandle w : others) {
            EXPECT_EQ(Shown(w), !hiding);
            EXPECT_LT(h.desktop.Window(w).changedAtMs - pressed, 100u);
        }
        for (WindowHandle w : busy) {
            EXPECT_EQ(Shown(w), !hiding);
            EXPECT_GE(h.desktop.Window(w).changedAtMs - pressed, 400u);
            EXPECT_LE(h.desktop.Window(w).changedAtMs - pressed, 600u);
        }
    }
    EXPECT_EQ(h.desktop.Window(busy[0]).exStyle, 0x40100u);  // answered in time for its style
    EXPECT_EQ(InZOrder(all), zOrder);
}

// A window whose program turns the hide down is minimised instead, and gets its place back; one
// that cannot be changed at all (its program runs as administrator) stays on screen and is
// named once the desktop is back, never while it is hidden, and once a run.
TEST_F(HideCycle, WindowsThatWillNotHideAreMinimisedOrNamedAfterTheRestore) {
    WindowHandle stubborn = Open(L"Stubborn", kEditorPid);
    WindowHandle elevated = Open(L"Administrator: Console", kViewerPid, 0x100);
    h.desktop.Window(stubborn).refusesHide = true;
    h.desktop.Window(elevated).elevated = true;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const std::size_t boxes = h.desktop.messageBoxes.size();
        Press();
        EXPECT_TRUE(h.desktop.IsIconic(stubborn));
        EXPECT_TRUE(Shown(elevated));
        EXPECT_EQ(h.desktop.messageBoxes.size(), boxes);  // nothing over the hidden desktop
        Press();
        EXPECT_TRUE(Shown(stubborn));
        EXPECT_FALSE(h.desktop.IsIconic(stubborn));
    }
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    const MessageBoxRecord& box = h.desktop.messageBoxes[0];
    EXPECT_EQ(box.kind, MessageBoxKind::Warning);
    EXPECT_NE(box.text.find(L"\"Administrator: Console\" (MyEditor.exe.bak)"), std::wstring::npos)
        << ToUtf8(box.text);
    EXPECT_NE(box.text.find(L"as administrator"), std::wstring::npos);
    EXPECT_EQ(box.text.find(L"Stubborn"), std::wstring::npos);
}

// The window watch reports a window we hid that its program showed again: it is hidden again
// under its first entry, which keeps the style it had before any hide.
TEST_F(HideCycle, AWindowShownAgainByItsProgramIsHiddenAgainUnderItsFirstEntry) {
    WindowHandle report = Open(L"Report", kEditorPid, 0x40100);
    Press();
    const std::size_t listed = h.Form().hideCycle->HiddenWindows()->size();
    h.desktop.Window(report).style |= kWsVisible;
    h.User([&] { h.Form().hideCycle->HideNewWindow(report); });
    EXPECT_FALSE(Shown(report));
    EXPECT_EQ(h.Form().hideCycle->HiddenWindows()->size(), listed);
    // A session that ended now would give it back its own style, not the cut one.
    const TRecoveryRecord record = h.Form().hideCycle->CurrentRecord();
    std::vector<const TRecordLine*> lines = record.Lines("window");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Number(3), 0x40100u);
    Press();
    EXPECT_TRUE(Shown(report));
    EXPECT_EQ(h.desktop.Window(report).exStyle, 0x40100u);
}

// A style owed since a busy restore is given back by a later restore; owed no longer, it is not
// written again over the one the program has set itself since.
TEST_F(HideCycle, AnOwedStyleIsDroppedOnceTheWindowHasItBack) {
    TMainForm& f = h.Form();
    WindowHandle busy = Open(L"Report", kEditorPid, 0x40100);
    Press();
    h.desktop.Window(busy).unanswered = 1;
    Press();
    ASSERT_EQ(h.desktop.Window(busy).exStyle, 0u);
    // Hidden by its program when the next hide comes, shown by it again while hidden.
    h.desktop.Window(busy).style &= ~kWsVisible;
    Press();
    h.desktop.Window(busy).style |= kWsVisible;
    h.User([&] { f.hideCycle->HideNewWindow(busy); });
    Press();
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x40100u);
    h.desktop.Window(busy).exStyle = 0x8;
    f.StyleRetryTimer.Tick();
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x8u);
}

// A handle whose window closed while hidden and went to another program's window, or to a later
// run of the same program, is left as that program has it.
TEST_F(HideCycle, TheRestoreLeavesAWindowThatTookAHiddenWindowsHandle) {
    for (bool sameIdLaterRun : {false, true}) {
        SCOPED_TRACE(sameIdLaterRun ? "same id, later run" : "other program");
        WindowHandle report = Open(L"Report", kEditorPid, 0x300);
        Press();
        if (sameIdLaterRun)
            h.desktop.processCreationTimes[kEditorPid] = 0x77777;
        else
            h.desktop.Window(report).pid = kViewerPid;
        h.desktop.Window(report).exStyle = 0x8;
        Press();
        EXPECT_FALSE(Shown(report));
        EXPECT_EQ(h.desktop.Window(report).exStyle, 0x8u);
        h.desktop.processCreationTimes.clear();
        h.desktop.DestroyWindow(report);
    }
}

}  // namespace
}  // namespace nv::test
