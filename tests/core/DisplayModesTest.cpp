// The display modes against the in-memory desktop: the menu and its numbers, the texts, the
// timed test with its dialog, and the switch of a hide and its restore.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "display/ConfirmationForm.h"
#include "support/Harness.h"
#include "widgets/MenuPictures.h"

namespace nv {
void PrintTo(const DisplayMode& m, std::ostream* out) {
    *out << m.pelsWidth << "x" << m.pelsHeight << "x" << m.bitsPerPel << "@" << m.displayFrequency;
}
}  // namespace nv

namespace nv::test {
namespace {

constexpr DisplayMode kSvga16{16, 800, 600, 60, 0};
constexpr DisplayMode kSvga16Rate1{16, 800, 600, 1, 0};
constexpr DisplayMode kXga0Hz{32, 1024, 768, 0, 0};
constexpr DisplayMode kSvga32{32, 800, 600, 75, 0};
constexpr DisplayMode kVga8{8, 640, 480, 60, 0};
constexpr DisplayMode kSxga{32, 1280, 1024, 60, 0};
constexpr std::uint32_t kFlags = 5;  // CDS_UPDATEREGISTRY | CDS_FULLSCREEN

struct DisplayHarness : Harness {
    // Starts with the given nva.dat text (none when empty).
    void StartWith(const std::string& settings = "") {
        Make();
        if (!settings.empty()) {
            std::filesystem::path path = desktop.RealPath(Globals().settingsFile);
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary) << settings;
        }
        ASSERT_TRUE(Start());
    }
    void Press() {
        User([&] { Form().HotKey(0); });
    }
    std::vector<DisplayMode> Switches() {
        std::vector<DisplayMode> out;
        for (const auto& [mode, flags] : desktop.displayChanges) {
            EXPECT_EQ(flags, kFlags);
            out.push_back(mode);
        }
        return out;
    }
    std::vector<std::wstring> Captions(const TMenuItem& parent) {
        std::vector<std::wstring> out;
        for (const auto& item : parent.items) out.push_back(item->caption);
        return out;
    }
    // The dialog as the user meets it: shown, then the countdown's ticks until the answer
    // (after `ticksBeforeAnswer` ticks, when given); every text of its countdown line is kept.
    void AnswerTestDialog(std::function<void(TConfirmationForm&)> answer, int ticksBeforeAnswer) {
        backend.modalResponder = [=, this](TForm& form) {
            auto& dialog = dynamic_cast<TConfirmationForm&>(form);
            modeDuringTest = desktop.currentMode;
            dialog.Show();
            countdown.push_back(dialog.stSeconds.Caption());
            for (int tick = 0; dialog.GetModalResult() == ModalResult::None && tick < 30; ++tick) {
                if (tick == ticksBeforeAnswer) {
                    answer(dialog);
                    break;
                }
                dialog.Timer1.Tick();
                countdown.push_back(dialog.stSeconds.Caption());
            }
            timerRanAfterAnswer = dialog.Timer1.Enabled();
            dialog.Hide();
            return dialog.GetModalResult();
        };
    }
    std::vector<std::wstring> countdown;
    DisplayMode modeDuringTest;
    bool timerRanAfterAnswer = false;
};

std::wstring Seconds(int n) {
    return L"Original mode will be restored in " + std::to_wstring(n) + L" seconds.";
}

TEST(DisplayModes, TheMenuListsEveryModeByItsNumberSkipsRate1AndCurrentPicksTheFirstMatch) {
    DisplayHarness h;
    h.desktop.displayModes = {kSvga16, kSvga16Rate1, kXga0Hz, kSvga32, kXga0Hz, kVga8};
    h.desktop.currentMode = kXga0Hz;
    h.StartWith();
    TMainForm& f = h.Form();
    TMenuItem& root = f.popMenuResolutions.items;

    // Resolutions in the reverse of their first appearance, "Current" below them all.
    ASSERT_EQ(h.Captions(root),
              (std::vector<std::wstring>{L"640x480", L"1024x768", L"800x600", L"Current"}));
    TMenuItem& svga = *root.items[2];
    ASSERT_EQ(h.Captions(svga), (std::vector<std::wstring>{L"16 bits", L"32 bits"}));
    // The mode with a refresh rate of 1 adds nothing yet uses up its number.
    ASSERT_EQ(h.Captions(*svga.items[0]), std::vector<std::wstring>{L"60 Hz"});
    EXPECT_EQ(svga.items[0]->items[0]->tag, 0);
    EXPECT_EQ(svga.items[1]->items[0]->tag, 3);
    // Two equal modes give two items; a rate of 0 shows as it is.
    TMenuItem& xga = *root.items[1]->items[0];
    ASSERT_EQ(h.Captions(xga), (std::vector<std::wstring>{L"0 Hz", L"0 Hz"}));
    EXPECT_EQ(xga.items[0]->tag, 2);
    EXPECT_EQ(xga.items[1]->tag, 4);
    EXPECT_EQ(root.items[0]->items[0]->items[0]->tag, 5);
    // Each level has a picture of its own, the same for every item of the level; "Current"
    // names a resolution too.
    const int resolution = svga.imageIndex, depth = svga.items[1]->imageIndex,
              rate = xga.items[1]->imageIndex;
    EXPECT_EQ(std::set<int>({resolution, depth, rate}).size(), 3u);
    for (int picture : {resolution, depth, rate}) {
        EXPECT_GE(picture, 0);
        EXPECT_LT(picture, kMenuPictureCount);
    }
    EXPECT_EQ(root.items[0]->imageIndex, resolution);
    EXPECT_EQ(svga.items[0]->imageIndex, depth);
    EXPECT_EQ(svga.items[0]->items[0]->imageIndex, rate);
    EXPECT_EQ(root.items[3]->imageIndex, resolution) << "Current";

    // The settings' default is the current mode; both texts show it.
    EXPECT_EQ(f.selectedModeNumber, 2);
    EXPECT_EQ(f.edResolutionInfo.Text(), L"1024x768x32 @ 0 Hz");
    EXPECT_EQ(f.edCurrentResolutionInfo.Text(), L"1024x768x32 @ 0 Hz");

    h.User([&] { svga.items[1]->items[0]->Click(); });
    EXPECT_EQ(f.selectedModeNumber, 3);
    EXPECT_EQ(f.edResolutionInfo.Text(), L"800x600x32 @ 75 Hz");
    h.User([&] { xga.items[1]->Click(); });
    EXPECT_EQ(f.selectedModeNumber, 4);
    h.User([&] { root.items[3]->Click(); });  // "Current": the first of the two equal modes
    EXPECT_EQ(f.selectedModeNumber, 2);
    EXPECT_EQ(f.edResolutionInfo.Text(), L"1024x768x32 @ 0 Hz");
    EXPECT_TRUE(h.desktop.displayChanges.empty());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(DisplayModes, AModeNumberTheSystemDoesNotListReadsNotAvailableAndIsNeverSwitchedTo) {
    // A number stored on another display, and -1, which older versions wrote as the default.
    for (const char* stored : {"57", "-1"}) {
        DisplayHarness h;
        h.StartWith(std::string("[Display]\r\nResolution=") + stored + "\r\nSwitch=1\r\n");
        TMainForm& f = h.Form();
        EXPECT_EQ(f.edResolutionInfo.Text(), L"(not available)") << stored;
        h.Press();
        ASSERT_TRUE(f.IsHiddenMode());
        h.Press();
        ASSERT_FALSE(f.IsHiddenMode());
        bool dialogShown = false;
        h.backend.modalResponder = [&](TForm&) {
            dialogShown = true;
            return ModalResult::Yes;
        };
        h.User([&] { f.btnTestResolution.Click(); });
        EXPECT_FALSE(dialogShown) << stored;
        EXPECT_TRUE(h.desktop.messageBoxes.empty()) << stored;
        EXPECT_TRUE(h.desktop.displayChanges.empty()) << stored;
    }

    // No listed mode equals the settings in use: the current mode is -1, shown the same way,
    // and a first run stores it so.
    DisplayHarness h;
    h.desktop.currentMode = DisplayMode{24, 1366, 768, 59, 0};
    h.StartWith();
    EXPECT_EQ(h.Form().CurrentDisplayModeNumber(), -1);
    EXPECT_EQ(h.Form().selectedModeNumber, -1);
    EXPECT_EQ(h.Form().edCurrentResolutionInfo.Text(), L"(not available)");
}

TEST(DisplayModes, TheTestSwitchesShowsTheCountdownAndAlwaysSwitchesBack) {
    DisplayHarness h;
    h.StartWith("[Display]\r\nResolution=1\r\n");
    TMainForm& f = h.Form();
    const DisplayMode svga = h.desktop.displayModes[1];

    // Left alone, the dialog counts 10 down to 0 and closes itself on the tick that shows 0.
    h.AnswerTestDialog([](TConfirmationForm&) {}, 99);
    h.User([&] { f.btnTestResolution.Click(); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              L"Your display mode will be switched to the one you have selected.\n\r"
              L"If the screen becomes black or distorted please wait 10 seconds\n\r"
              L"and your original display mode will be restored.");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Information);
    EXPECT_EQ(h.desktop.messageBoxes[0].caption, L"Information");
    EXPECT_EQ(h.desktop.messageBoxes[0].buttons, MessageBoxButtons::Ok);
    std::vector<std::wstring> expected;
    for (int n = 10; n >= 0; --n) expected.push_back(Seconds(n));
    EXPECT_EQ(h.countdown, expected);
    EXPECT_EQ(f.ConfirmationForm->GetModalResult(), ModalResult::Cancel);
    EXPECT_FALSE(h.timerRanAfterAnswer);
    EXPECT_EQ(h.modeDuringTest, svga);
    EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));
    EXPECT_EQ(f.edCurrentResolutionInfo.Text(), L"1280x1024x32 @ 60 Hz");

    // "Yes" after three seconds: the mode before comes back all the same, and the countdown
    // stops. Shown again, the dialog starts from 10.
    h.countdown.clear();
    h.desktop.displayChanges.clear();
    h.AnswerTestDialog([](TConfirmationForm& d) { d.btnYes.Click(); }, 3);
    h.User([&] { f.btnTestResolution.Click(); });
    EXPECT_EQ(h.countdown.front(), Seconds(10));
    EXPECT_EQ(h.countdown.back(), Seconds(7));
    EXPECT_EQ(f.ConfirmationForm->GetModalResult(), ModalResult::Yes);
    EXPECT_FALSE(h.timerRanAfterAnswer);
    EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));

    // "No", and a close of the window: Cancel, the mode before comes back.
    for (auto answer : std::vector<std::function<void(TConfirmationForm&)>>{
             [](TConfirmationForm& d) { d.btnNo.Click(); },
             [](TConfirmationForm& d) { d.Close(); }}) {
        h.desktop.displayChanges.clear();
        h.AnswerTestDialog(answer, 0);
        h.User([&] { f.btnTestResolution.Click(); });
        EXPECT_EQ(f.ConfirmationForm->GetModalResult(), ModalResult::Cancel);
        EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));
    }
    EXPECT_EQ(h.desktop.currentMode, kSxga);
}

TEST(DisplayModes, ARestorePutsBackExactlyWhatItsHideSwitchedFrom) {
    DisplayHarness h;
    h.StartWith("[Display]\r\nResolution=1\r\nSwitch=1\r\n");
    TMainForm& f = h.Form();
    const DisplayMode svga = h.desktop.displayModes[1];

    h.Press();
    EXPECT_EQ(h.desktop.currentMode, svga);
    h.Press();
    EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));

    // The option unticked while hidden: the restore still gives the user their mode back.
    h.desktop.displayChanges.clear();
    h.Press();
    h.User([&] { f.cbSwitchResolution.Click(); });
    h.Press();
    EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));

    // Ticked only while hidden: that hide switched nothing, so its restore applies nothing,
    // neither an empty record nor the settings an earlier hide took.
    h.desktop.displayChanges.clear();
    h.Press();
    h.User([&] { f.cbSwitchResolution.Click(); });
    h.Press();
    EXPECT_TRUE(h.desktop.displayChanges.empty());

    // At shut-down in hidden mode the mode comes back too.
    h.Press();
    EXPECT_EQ(h.desktop.currentMode, svga);
    h.User([&] { f.Close(); });
    h.Finish();
    EXPECT_EQ(h.Switches(), (std::vector<DisplayMode>{svga, kSxga}));
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

}  // namespace
}  // namespace nv::test
