// Help as a user opens it: "Hel&p" and F1 open the HTML Help viewer on Nivora's Help.chm. Which
// topic of the built file F1 on each page names is checked by tests/win/MainWindowHelpTest.cpp;
// here the viewer must really open.
#include <gtest/gtest.h>

#include <string>

#include "support/Driver.h"

using namespace e2e;

namespace {

// The help viewer's window in Nivora's process, or null.
HWND HelpWindow(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (ClassName(w) == L"HH Parent" && IsShown(w)) return w;
    return nullptr;
}

class Help : public ::testing::Test {
protected:
    void SetUp() override { MakeEmptyDataFolder(); }
    void TearDown() override { nivora.Kill(); }
    Process nivora;
};

TEST_F(Help, TheHelpButtonAndF1OpenTheHelpViewerOnNivorasHelp) {
    ASSERT_TRUE(Start(nivora, L"Nivora.exe"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); }));
    ASSERT_TRUE(Answers(main));

    ASSERT_TRUE(PressButton(main, L"Hel&p"));
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (viewer = HelpWindow(nivora.Pid())) != nullptr; }));
    EXPECT_EQ(WindowText(viewer), L"Nivora Help");
    PostMessageW(viewer, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return HelpWindow(nivora.Pid()) == nullptr; }));

    // F1 on the Sound page, where "Sound" leaves the focus on the desired-volume slider.
    SetForegroundWindow(main);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }));
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    ASSERT_TRUE(PressButton(main, L"Sound"));
    ASSERT_TRUE(WaitFor([&] { return ClassName(FocusOf(main)) == L"msctls_trackbar32"; }));
    PressKeys({}, VK_F1);
    EXPECT_TRUE(WaitFor([&] { return HelpWindow(nivora.Pid()) != nullptr; }));
}

}  // namespace
