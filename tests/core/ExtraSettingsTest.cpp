// The Extra Settings page against the in-memory desktop: its controls hold what the user sets,
// reach nva.dat at the next save, and answer F1 with the right help context.
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

// F1 opens the context of the focused control, else of the nearest control above it.
TEST(ExtraSettings, F1OpensTheContextOfTheControlOrItsSubPage) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    std::vector<std::pair<TControl*, int>> expected = {
        {&f.SheetOptions, 1010}, {&f.pnlButtons, 1010},
        {&f.btnGeneral, 1011}, {&f.cbAutoStart, 1011}, {&f.btShowLayout, 1011},
        {&f.btnKeyaboard, 1013}, {&f.edHkWindowsKey, 1013}, {&f.cbLockWorkstation, 1013},
        {&f.btnMouseWinCtrl, 1014}, {&f.btnMouseSSaverCtrl, 1014},
        // The Sound sub-page's panel answers with the General context, its controls with 1012.
        {&f.cbModifyVolume, 1011}, {&f.btnSound, 1012}, {&f.sliderSelectedVolume, 1012},
        {&f.SliderGlobalVolume, 1012}, {&f.cbSelectedVolumeMuted, 1012},
        {&f.btnGetVolume, 1012}, {&f.btnTestSound, 1012}, {&f.imSound, 1012},
        {&f.btnDisplay, 1014}, {&f.cbSwitchResolution, 1014}, {&f.edCurrentResolutionInfo, 1014}};
    for (auto [control, context] : expected)
        EXPECT_EQ(control->EffectiveHelpContext(), context) << control->Name();
}

TEST(ExtraSettings, TheLockBoxExplainsWhereItWorks) {
    Harness h;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.Form().cbLockWorkstation.hint,
              L"This feature is available only for Windows 2000/XP/NT systems");
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
