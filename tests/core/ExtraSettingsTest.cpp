// The Extra Settings page against the in-memory desktop: its controls hold what the user sets,
// reach nva.dat at the next save.
#include <gtest/gtest.h>

#include <fstream>

#include "support/Harness.h"

namespace nv::test {
namespace {

std::string SettingsText(Harness& h) {
    std::ifstream in(h.desktop.RealPath(h.Globals().settingsFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ExtraSettings, EachMouseButtonFlipsOnItsOwnAndItsStateIsSaved) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    // Each press opens the shortcut's dialog, confirmed here.
    h.backend.modalResponder = [](TForm&) { return ModalResult::Ok; };
    h.User([&] { f.btnMouseWinCtrl.Click(); });
    EXPECT_TRUE(f.btnMouseWinCtrl.Down());
    EXPECT_FALSE(f.btnMouseSSaverCtrl.Down());
    h.User([&] { f.btnMouseSSaverCtrl.Click(); });
    EXPECT_TRUE(f.btnMouseSSaverCtrl.Down());
    EXPECT_TRUE(f.btnMouseWinCtrl.Down());  // not a group with the other
    h.User([&] { f.btnMouseSSaverCtrl.Click(); });
    EXPECT_FALSE(f.btnMouseSSaverCtrl.Down());

    h.User([&] { f.Close(); });
    h.Finish();
    std::string text = SettingsText(h);
    EXPECT_NE(text.find("[MouseShortcut_Windows]\r\nEnabled=1"), std::string::npos) << text;
    EXPECT_NE(text.find("[MouseShortcut_SSaver]\r\nEnabled=0"), std::string::npos) << text;
}

TEST(ExtraSettings, TheListButtonDropsTheResolutionMenuDown) {
    Harness h;
    ASSERT_TRUE(h.Start());
    h.User([&] { h.Form().btnSelectResolution.Click(); });
    EXPECT_EQ(h.backend.popups, std::vector<std::string>{"popMenuResolutions"});
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

}  // namespace
}  // namespace nv::test
