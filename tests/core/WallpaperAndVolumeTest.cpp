// The wallpaper and volume steps of the cycle against the in-memory desktop: what a hide takes
// away comes back, and only that, whatever the options say by then; a device or shell object
// that fails neither stops the hide nor loses what the user had.
#include "HideCycleFixture.h"

namespace nv::test {
namespace {

constexpr RegistryHive kHkcu = RegistryHive::CurrentUser;

class Wallpaper : public HideCycle {
  protected:
    void SetUp() override {
        HideCycle::SetUp();
        h.Form().cbHideWallapaper.SetChecked(true);
        SetRegistryWallpaper(L"C:\\Pictures\\Lake.bmp");
        Open(L"Report", kEditorPid);
    }
    void SetRegistryWallpaper(const std::wstring& path) {
        h.desktop.SetRegistryString(kHkcu, kDesktopKey, kWallpaperValue, path);
        h.desktop.wallpaper.shown = path;
    }
    std::wstring RegistryWallpaper() {
        return h.desktop.ReadString(kHkcu, kDesktopKey, kWallpaperValue).value_or(L"(none)");
    }
    FakeWallpaper& shell() { return h.desktop.wallpaper; }
};

TEST_F(Wallpaper, TheSettingIsEmptiedByTheHideAndWrittenBackWholeByTheRestore) {
    const std::wstring longPath = L"D:\\" + std::wstring(300, L'w') + L".jpg";
    SetRegistryWallpaper(longPath);
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"");
    EXPECT_EQ(shell().shown, L"");
    Press();
    EXPECT_EQ(RegistryWallpaper(), longPath);
    EXPECT_EQ(shell().applied, (std::vector<std::wstring>{L"SystemParameters()",
                                                          L"SystemParameters(" + longPath + L")"}));
}

TEST_F(Wallpaper, WhatTheHideRemovedComesBackWhateverTheOptionSaysByThen) {
    Press();
    h.Form().cbHideWallapaper.SetChecked(false);  // unticked while hidden
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"C:\\Pictures\\Lake.bmp");

    // Ticked while hidden: this hide removed nothing, so nothing is written back.
    shell().applied.clear();
    Press();
    h.Form().cbHideWallapaper.SetChecked(true);
    h.desktop.SetRegistryString(kHkcu, kDesktopKey, kWallpaperValue, L"C:\\New.bmp");
    Press();
    EXPECT_TRUE(shell().applied.empty());
    EXPECT_EQ(RegistryWallpaper(), L"C:\\New.bmp");
}

TEST_F(Wallpaper, EachStepTakesTheWayThatHoldsAtItsOwnTime) {
    shell().activeDesktopEnabled = true;
    Press();
    EXPECT_EQ(shell().applied, std::vector<std::wstring>{L"ActiveDesktop()"});
    EXPECT_EQ(RegistryWallpaper(), L"C:\\Pictures\\Lake.bmp");  // the registry way was not used
    shell().activeDesktopEnabled = false;
    Press();
    EXPECT_EQ(shell().applied.back(), L"SystemParameters(C:\\Pictures\\Lake.bmp)");
    EXPECT_EQ(shell().shown, L"C:\\Pictures\\Lake.bmp");
}

TEST_F(Wallpaper, AWallpaperThatCannotBeReadIsLeftWhereItIs) {
    // Active Desktop enabled, but it does not say which wallpaper it shows.
    shell().activeDesktopEnabled = true;
    shell().getWallpaperFails = true;
    Press();
    Press();
    EXPECT_TRUE(shell().applied.empty());
    // The registry value is there but is not text.
    shell().activeDesktopEnabled = false;
    h.desktop.SetRegistryDword(kHkcu, kDesktopKey, kWallpaperValue, 7);
    Press();
    Press();
    EXPECT_TRUE(shell().applied.empty());
    EXPECT_EQ(h.desktop.ReadDword(kHkcu, kDesktopKey, kWallpaperValue), 7u);
}

TEST_F(Wallpaper, ASettingThatCannotBeWrittenBackIsKeptForTheNextRestore) {
    Press();
    h.desktop.registryWritable = false;
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"");  // still owed
    h.desktop.registryWritable = true;
    // The next hide finds the wallpaper it removed still off: it keeps the one it owes.
    Press();
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"C:\\Pictures\\Lake.bmp");
    EXPECT_EQ(shell().shown, L"C:\\Pictures\\Lake.bmp");

    // One the user set meanwhile is what the next hide takes off and puts back.
    Press();
    h.desktop.registryWritable = false;
    Press();
    h.desktop.registryWritable = true;
    SetRegistryWallpaper(L"C:\\New.bmp");
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"");
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"C:\\New.bmp");
}

TEST_F(Wallpaper, NoActiveDesktopObjectMeansTheRegistryWayAndAShutdownPutsItBack) {
    shell().activeDesktop = false;
    Press();
    EXPECT_EQ(RegistryWallpaper(), L"");
    h.Finish();
    EXPECT_EQ(RegistryWallpaper(), L"C:\\Pictures\\Lake.bmp");
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(Volume, LevelsConvertWithHalvesToEven) {
    EXPECT_EQ(ScalarToLevel(0.5f), 32768);  // 32767.5
    EXPECT_EQ(ScalarToLevel(1.0f), 65535);
    EXPECT_EQ(ScalarToLevel(0.0f), 0);
    EXPECT_EQ(LevelToScalar(65535), 1.0f);
    EXPECT_EQ(LevelToScalar(0), 0.0f);
    EXPECT_EQ(ScalarToLevel(LevelToScalar(1234)), 1234);
}

class VolumeCycle : public HideCycle {
  protected:
    void SetUp() override {
        HideCycle::SetUp();
        audio().level = 0.5f;
        audio().muted = false;
        Open(L"Report", kEditorPid);
    }
    FakeAudio& audio() { return h.desktop.audio; }
};

TEST_F(VolumeCycle, HideSetsTheDesiredVolumeAndRestorePutsBackTheSavedOne) {
    TMainForm& f = h.Form();
    f.cbModifyVolume.SetChecked(true);
    f.sliderSelectedVolume.UserSetPosition(65535);  // the bottom end: silence
    f.cbSelectedVolumeMuted.SetChecked(true);
    Press();
    EXPECT_EQ(audio().level, 0.0f);
    EXPECT_TRUE(audio().muted);
    Press();
    EXPECT_EQ(audio().level, LevelToScalar(32768));
    EXPECT_FALSE(audio().muted);

    // Unticked: the hide reads the device but sets nothing, and so does the restore.
    f.cbModifyVolume.SetChecked(false);
    audio().level = 0.25f;
    Press();
    EXPECT_EQ(f.volume.SavedVolume(), ScalarToLevel(0.25f));
    EXPECT_EQ(audio().level, 0.25f);
    Press();
    EXPECT_EQ(audio().level, 0.25f);
}

// Headphones plugged in or pulled out while hidden change the default device: the restore puts
// the volume back on the device the hide changed, and on no other.
TEST_F(VolumeCycle, TheRestoreGoesToTheDeviceTheHideChangedAndNowhereWhenItHasGone) {
    TMainForm& f = h.Form();
    f.cbModifyVolume.SetChecked(true);
    f.sliderSelectedVolume.UserSetPosition(65535);  // silence
    f.cbSelectedVolumeMuted.SetChecked(true);
    const std::wstring headphones = L"{0.0.0.00000000}.{headphones}";
    Press();
    audio().others[headphones] = {0.8f, false};
    audio().defaultId = headphones;
    Press();
    EXPECT_EQ(audio().level, LevelToScalar(32768));
    EXPECT_FALSE(audio().muted);
    EXPECT_EQ(audio().others[headphones].level, 0.8f);
    EXPECT_FALSE(audio().others[headphones].muted);

    // Hidden with the headphones, which are pulled out before the restore.
    Press();
    EXPECT_TRUE(audio().others[headphones].muted);
    audio().gone.insert(headphones);
    audio().defaultId = FakeAudio::kSpeakers;
    Press();
    EXPECT_EQ(audio().level, LevelToScalar(32768));
    EXPECT_FALSE(audio().muted);
}

TEST_F(VolumeCycle, ARefusedLevelLeavesTheMuteStateAlone) {
    h.Form().cbModifyVolume.SetChecked(true);
    h.Form().cbSelectedVolumeMuted.SetChecked(true);
    audio().setLevelFails = true;
    Press();
    EXPECT_FALSE(audio().muted);
}

// A broken sound system must not keep the windows on screen: the hide goes on past it and the
// error is reported once.
TEST_F(VolumeCycle, AMissingDeviceEnumeratorIsReportedAndTheWindowsAreHiddenAllTheSame) {
    WindowHandle report = Open(L"Second report", kEditorPid);
    h.Form().cbModifyVolume.SetChecked(true);
    audio().enumeratorMissing = true;
    Press();
    EXPECT_TRUE(Hidden());
    EXPECT_FALSE(Shown(report));
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    Press();
    EXPECT_FALSE(Hidden());
    EXPECT_TRUE(Shown(report));
}

TEST_F(VolumeCycle, TheSoundPageShowsTheDeviceAndTheTestPlaysAtTheDesiredLevel) {
    TMainForm& f = h.Form();
    f.cbModifyVolume.SetChecked(false);  // the test ticks it for itself and gives it back
    audio().muted = true;
    h.User([&] { f.btnOptions.Click(); });
    EXPECT_EQ(f.SliderGlobalVolume.Position(), 32767);
    EXPECT_TRUE(f.cbGlobalVolumMuted.Checked());

    f.sliderSelectedVolume.UserSetPosition(0);  // the top end: full volume
    std::vector<std::wstring> during;
    audio().onPlay = [&] {
        during = {f.btnTestSound.Caption(), f.cbModifyVolume.Checked() ? L"ticked" : L"unticked",
                  f.cbModifyVolume.Enabled() ? L"enabled" : L"disabled",
                  std::to_wstring(audio().level)};
    };
    h.User([&] { f.btnTestSound.Click(); });
    EXPECT_EQ(during, (std::vector<std::wstring>{L"Playing sound. Please wait...", L"ticked",
                                                 L"disabled", std::to_wstring(1.0f)}));
    EXPECT_EQ(audio().played, std::vector<std::wstring>{L"C:\\Windows\\media\\tada.wav"});
    EXPECT_EQ(f.btnTestSound.Caption(), L"Test desired volume settings");
    EXPECT_FALSE(f.cbModifyVolume.Checked());
    EXPECT_TRUE(f.cbModifyVolume.Enabled());
    EXPECT_EQ(audio().level, LevelToScalar(32768));  // the level it had, as the scale holds it
    EXPECT_TRUE(audio().muted);

    // No device: the page stays as it was, without a word.
    audio().hasDevice = false;
    audio().level = 0.0f;
    h.User([&] { f.btnGetVolume.Click(); });
    EXPECT_EQ(f.SliderGlobalVolume.Position(), 32767);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

}  // namespace
}  // namespace nv::test
