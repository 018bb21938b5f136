// The cycle's steps: the three orders they run in, and the rule that no step waits on another
// program: a window that does not answer never stalls the cycle, and one that was only busy
// gets its extended style back once it answers.
#include "HideCycleFixture.h"

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

TEST_F(HideCycle, OwedStyleIsNotWrittenToAHandleThatChangedHands) {
    TMainForm& f = h.Form();
    WindowHandle busy = Open(L"Report", kEditorPid, 0x00040100);
    Press();
    h.desktop.Window(busy).unanswered = 1;
    Press();
    // The program closed the window and another program's window got the same handle.
    h.desktop.Window(busy).pid = kViewerPid;
    h.desktop.Window(busy).exStyle = 0x8;
    f.StyleRetryTimer.Tick();
    EXPECT_EQ(h.desktop.Window(busy).exStyle, 0x8u);
    EXPECT_FALSE(f.StyleRetryTimer.Enabled());
}

}  // namespace
}  // namespace nv::test
