// The settings store against the in-memory desktop: nva.dat, the password value and the Run
// value, through start-up, the user's actions and shut-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <limits>

#include "access/PasswordHash.h"
#include "shell/SettingsStore.h"
#include "support/Harness.h"

namespace nv::test {
namespace {

constexpr RegistryHive kHkcu = RegistryHive::CurrentUser;

// A program built but not started, so a test can lay down files and registry values first.
struct SettingsHarness : Harness {
    SettingsHarness() { Make(); }
    std::filesystem::path SettingsPath() { return desktop.RealPath(Globals().settingsFile); }
    void WriteSettings(const std::string& text) {
        std::ofstream out(SettingsPath(), std::ios::binary);
        out << text;
    }
    std::vector<std::string> SettingsLines() {
        std::ifstream in(SettingsPath(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    std::optional<std::wstring> Password() {
        return desktop.ReadString(kHkcu, kPasswordKey, kPasswordValue);
    }
    std::optional<std::wstring> RunValue() { return desktop.ReadString(kHkcu, kRunKey, kRunValue); }
    // Closes the window as the user does, then ends the process.
    void CloseAndFinish() {
        User([&] { Form().Close(); });
        Finish();
    }
};

std::vector<std::string> Sections(const std::vector<std::string>& lines) {
    std::vector<std::string> sections;
    for (const auto& l : lines)
        if (!l.empty() && l.front() == '[') sections.push_back(l);
    return sections;
}

TEST(Settings, FirstRunShowsEveryDefault) {
    SettingsHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_TRUE(f.cbModifyVolume.Checked());
    EXPECT_TRUE(f.cbHideTray.Checked());
    EXPECT_TRUE(f.cbLockWorkstation.Checked());
    for (TCheckBox* box : {&f.cbSelectedVolumeMuted, &f.cbHideDeskTop, &f.cbHideTaskBar,
                           &f.cbHideNewlyCreatedWindows, &f.cbCloseActiveWindow,
                           &f.cbHideWallapaper, &f.cbSwitchResolution, &f.cbAppPassword,
                           &f.cbAutoStart, &f.cbHideWhenIdle, &f.cbMuteHiddenPrograms})
        EXPECT_FALSE(box->Checked()) << box->Name();
    EXPECT_EQ(f.edIdleMinutes.Value(), 5);
    EXPECT_EQ(f.volumeSettings.desiredVolume, 65535);
    EXPECT_FALSE(f.volumeSettings.desiredMute);
    EXPECT_EQ(f.sliderSelectedVolume.Position(), 0);  // the top end
    EXPECT_EQ(f.edHkWindowsKey.Text(), L"Ctrl+`");
    EXPECT_EQ(f.edHkProgramKey.Text(), L"Ctrl+\\");
    EXPECT_EQ(f.edHKSSaverKey.Text(), L"Ctrl+F12");
    EXPECT_FALSE(f.btnMouseWinCtrl.Down());
    EXPECT_FALSE(f.btnMouseSSaverCtrl.Down());
    const TMouseShortcutInfo& hide = h.Globals().hideCornerShortcut;
    const TMouseShortcutInfo& saver = h.Globals().screenSaverCornerShortcut;
    EXPECT_EQ(hide.ZoneSize, 20);
    EXPECT_EQ(hide.HoverInterval, 500);
    EXPECT_EQ(hide.Corner, 0);
    EXPECT_EQ(saver.ZoneSize, 20);
    EXPECT_EQ(saver.HoverInterval, 500);
    EXPECT_EQ(saver.Corner, 1);
    EXPECT_EQ(f.selectedModeNumber, f.CurrentDisplayModeNumber());
    EXPECT_TRUE(h.Globals().applicationPassword.empty());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    EXPECT_FALSE(h.Password().has_value());  // loading writes nothing

    std::string resolution = "Resolution=" + std::to_string(f.CurrentDisplayModeNumber());
    h.CloseAndFinish();
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    std::vector<std::string> expected = {
        "[Sounds]", "ModifyVolume=1", "Volume=65535", "VolumeMuted=0", "MuteHiddenPrograms=0",
        "[SpecialWindows]", "HideDesktop=0", "HideTaskBar=0", "Tray=1",
        "[General]", "HideNewlyCreatedWindows=0", "HideActiveWindow=0", "HideWallpaper=0",
        "HideWhenIdle=0", "IdleMinutes=5",
        "[SSaver]", "LockWorkstation=1",
        "[Display]", resolution, "Switch=0",
        // Beside each text, its key: Ctrl (0x4000) with the key code.
        "[HOTKEY_Windows]", "Key=Ctrl+`", "KeyCode=16576",
        "[HOTKEY_App]", "Key=Ctrl+\\", "KeyCode=16604",
        "[HOTKEY_SSaver]", "Key=Ctrl+F12", "KeyCode=16507",
        "[MouseShortcut_Windows]", "Enabled=0", "ZoneSize=20", "HoverInterval=500", "Corner=0",
        "[MouseShortcut_SSaver]", "Enabled=0", "ZoneSize=20", "HoverInterval=500", "Corner=1"};
    EXPECT_EQ(h.SettingsLines(), expected);
    EXPECT_EQ(h.Password(), std::wstring());  // exists, empty
}

TEST(Settings, VolumeKeepsItsLow16Bits) {
    for (auto [text, volume] : std::vector<std::pair<std::string, int>>{
             {"0x8000", 32768}, {"0X10", 16}, {"-1", 65535}, {"70000", 4464}, {"0", 0},
             {"loud", 65535}, {"", 65535}}) {
        SettingsHarness h;
        h.WriteSettings("[Sounds]\r\nVolume=" + text + "\r\n");
        ASSERT_TRUE(h.Start());
        EXPECT_EQ(h.Form().volumeSettings.desiredVolume, volume) << text;
        EXPECT_EQ(h.Form().sliderSelectedVolume.Position(), 65535 - volume) << text;
    }
}

TEST(Settings, IdleMinutesOutOfRangeAreClampedAndSavedSo) {
    for (auto [text, minutes] : std::vector<std::pair<std::string, int>>{
             {"0", 1}, {"-7", 1}, {"241", 240}, {"100000", 240}, {"30", 30}, {"soon", 5}}) {
        SettingsHarness h;
        h.WriteSettings("[General]\r\nHideWhenIdle=1\r\nIdleMinutes=" + text + "\r\n");
        ASSERT_TRUE(h.Start());
        EXPECT_TRUE(h.Form().cbHideWhenIdle.Checked());
        EXPECT_EQ(h.Form().edIdleMinutes.Value(), minutes) << text;
        h.CloseAndFinish();
        std::vector<std::string> lines = h.SettingsLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "IdleMinutes=" + std::to_string(minutes)),
                  lines.end())
            << text;
    }
}

TEST(Settings, HandWrittenFileLoadsAndItsUnknownPartsSurviveTheSave) {
    SettingsHarness h;
    h.WriteSettings(
        "[Mine]\r\nKeep=this\r\n"
        "[SpecialWindows]\r\nHideDesktop=2\r\nHideTaskBar=yes\r\nTray=0\r\nExtra=42\r\n"
        "[Sounds]\r\nVolumeMuted=1\r\nModifyVolume=0\r\n"
        "[HOTKEY_Windows]\r\nKey=Alt+F9\r\n"
        "[HOTKEY_App]\r\nKey=not a key\r\n"
        "[Display]\r\nResolution=7\r\nSwitch=1\r\n"
        "[MouseShortcut_Windows]\r\nEnabled=1\r\nZoneSize=5\r\nHoverInterval=0x3E8\r\n"
        "Corner=257\r\n"
        "[MouseShortcut_SSaver]\r\nCorner=3\r\n");
    h.Globals().hideCornerShortcut.HoverStart = 99;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_TRUE(f.cbHideDeskTop.Checked());   // 2 is non-zero
    EXPECT_FALSE(f.cbHideTaskBar.Checked());  // "yes" is no integer: the default
    EXPECT_FALSE(f.cbHideTray.Checked());
    EXPECT_TRUE(f.volumeSettings.desiredMute);
    EXPECT_TRUE(f.cbSelectedVolumeMuted.Checked());
    EXPECT_FALSE(f.cbModifyVolume.Checked());
    EXPECT_EQ(f.edHkWindowsKey.Text(), L"Alt+F9");
    EXPECT_EQ(f.edHkProgramKey.Text(), L"not a key");  // shown as the file holds it
    EXPECT_EQ(f.edHKSSaverKey.Text(), L"Ctrl+F12");
    EXPECT_EQ(f.selectedModeNumber, 7);
    EXPECT_TRUE(f.cbSwitchResolution.Checked());
    EXPECT_TRUE(f.btnMouseWinCtrl.Down());
    EXPECT_FALSE(f.btnMouseSSaverCtrl.Down());
    const TMouseShortcutInfo& hide = h.Globals().hideCornerShortcut;
    EXPECT_EQ(hide.ZoneSize, 5);
    EXPECT_EQ(hide.HoverInterval, 1000);
    EXPECT_EQ(hide.Corner, 1);  // 257 keeps its low 8 bits
    EXPECT_EQ(hide.HoverStart, 0u);
    EXPECT_EQ(h.Globals().screenSaverCornerShortcut.Corner, 3);

    h.CloseAndFinish();
    std::vector<std::string> lines = h.SettingsLines();
    auto has = [&](const std::string& l) {
        return std::find(lines.begin(), lines.end(), l) != lines.end();
    };
    EXPECT_TRUE(has("[Mine]"));
    EXPECT_TRUE(has("Keep=this"));
    EXPECT_TRUE(has("Extra=42"));
    EXPECT_TRUE(has("HideDesktop=1"));
    EXPECT_TRUE(has("HideTaskBar=0"));
    EXPECT_TRUE(has("Corner=1"));
    EXPECT_TRUE(has("HoverInterval=1000"));
    EXPECT_TRUE(has("Resolution=7"));
    EXPECT_TRUE(has("Key=not a key"));
    EXPECT_EQ(Sections(lines).front(), "[Mine]");
    EXPECT_EQ(Sections(lines).size(), 11u);
}

TEST(Settings, TheSoundPageChangesTheDesiredValues) {
    SettingsHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    f.sliderSelectedVolume.UserSetPosition(65535);  // bottom end: silence
    EXPECT_EQ(f.volumeSettings.desiredVolume, 0);
    f.sliderSelectedVolume.UserSetPosition(15535);
    EXPECT_EQ(f.volumeSettings.desiredVolume, 50000);
    f.cbSelectedVolumeMuted.Click();
    EXPECT_TRUE(f.volumeSettings.desiredMute);
    h.CloseAndFinish();
    std::vector<std::string> lines = h.SettingsLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Volume=50000");
    EXPECT_EQ(lines[3], "VolumeMuted=1");
}

TEST(Settings, AFailedWriteIsReportedOnceAndStopsTheSave) {
    SettingsHarness h;
    h.desktop.failingWrites.insert(h.Globals().settingsFile);
    ASSERT_TRUE(h.Start());
    h.User([&] { h.Form().Close(); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              L"Unable to write to " + h.Globals().settingsFile + L".");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    EXPECT_FALSE(h.App().Terminated());  // the window stays open
    EXPECT_FALSE(h.Password().has_value());  // the registry step was not reached
    EXPECT_FALSE(std::filesystem::exists(h.SettingsPath()));
}

TEST(Settings, ALockedFileIsToldOnceAndNeverOverwrittenWithDefaults) {
    SettingsHarness h;
    h.WriteSettings("[General]\r\nHideWallpaper=1\r\n[HOTKEY_Windows]\r\nKey=Ctrl+F9\r\n");
    h.desktop.failingReads.insert(h.Globals().settingsFile);  // another program holds it
    ASSERT_TRUE(h.Start());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"The settings file (nva.dat) could not be read."),
              std::wstring::npos);
    EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"not saved during this session"),
              std::wstring::npos);
    // The close saves the lists and the password, never the file it could not read.
    h.User([&] { h.Form().Close(); });
    h.Finish();
    EXPECT_TRUE(h.App().Terminated());
    EXPECT_EQ(h.SettingsLines(), (std::vector<std::string>{"[General]", "HideWallpaper=1",
                                                           "[HOTKEY_Windows]", "Key=Ctrl+F9"}));
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
}

TEST(Settings, APasswordValueThatCannotBeReadIsNeverWrittenOver) {
    SettingsHarness h;
    const std::wstring stored = HashPassword(h.desktop, L"pw");
    h.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, stored);
    h.desktop.unreadableValues.insert(kPasswordValue);
    ASSERT_TRUE(h.Start());
    EXPECT_FALSE(h.Form().cbAppPassword.Checked());  // no password this run, as none was read
    h.CloseAndFinish();
    h.desktop.unreadableValues.clear();
    EXPECT_EQ(h.Password(), stored) << "kept for a start that can read it";

    // A password the user sets meanwhile is theirs to store.
    SettingsHarness next;
    next.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, stored);
    next.desktop.unreadableValues.insert(kPasswordValue);
    ASSERT_TRUE(next.Start());
    next.Form().SetApplicationPassword(L"new");
    next.Form().cbAppPassword.SetCheckedSilently(true);
    next.CloseAndFinish();
    next.desktop.unreadableValues.clear();
    EXPECT_TRUE(PasswordMatches(next.desktop, next.Password().value_or(L""), L"new"));
}

TEST(Settings, APasswordIsStoredOnlyAsASaltedHash) {
    SettingsHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    f.SetApplicationPassword(L"Secret 1");
    f.cbAppPassword.SetCheckedSilently(true);
    EXPECT_TRUE(IsPasswordHash(h.Globals().applicationPassword));
    h.CloseAndFinish();

    std::wstring stored = h.Password().value_or(L"");
    EXPECT_EQ(stored.rfind(L"pbkdf2-sha256$600000$", 0), 0u) << ToUtf8(stored);
    EXPECT_EQ(stored.find(L"Secret"), std::wstring::npos);

    // The next run asks for exactly that text.
    SettingsHarness next;
    next.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, stored);
    ASSERT_TRUE(next.Start());
    EXPECT_TRUE(next.Form().cbAppPassword.Checked());
    EXPECT_TRUE(next.Form().PasswordMatches(L"Secret 1"));
    for (const wchar_t* wrong : {L"secret 1", L"Secret 1 ", L"Secret", L""})
        EXPECT_FALSE(next.Form().PasswordMatches(wrong)) << ToUtf8(wrong);
}

TEST(Settings, APlainPasswordFromAnOlderVersionIsAcceptedAndRewrittenHashed) {
    SettingsHarness h;
    h.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, L"old pass");
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.Form().cbAppPassword.Checked());
    EXPECT_TRUE(h.Form().PasswordMatches(L"old pass"));
    EXPECT_FALSE(h.Form().PasswordMatches(L"Old pass"));

    h.User([&] { h.Form().Close(); });
    std::wstring first = h.Password().value_or(L"");
    EXPECT_TRUE(IsPasswordHash(first));
    EXPECT_TRUE(h.Form().PasswordMatches(L"old pass"));
    h.Finish();
    EXPECT_EQ(h.Password(), first);  // the second save keeps the same hash
}

TEST(Settings, AFailedHashIsReportedOnceAndLeavesNoPlainPasswordBehind) {
    SettingsHarness h;
    h.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, L"old pass");
    ASSERT_TRUE(h.Start());
    h.desktop.pbkdf2Fails = true;

    h.User([&] { h.Form().Close(); });
    EXPECT_TRUE(h.App().Terminated());        // the close goes on
    EXPECT_EQ(h.Password(), std::wstring());  // the plain text is gone from the registry
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    const std::wstring told = h.desktop.messageBoxes[0].text;
    EXPECT_NE(told.find(L"password"), std::wstring::npos) << ToUtf8(told);
    EXPECT_NE(told.find(L"BCryptDeriveKeyPBKDF2 failed"), std::wstring::npos) << ToUtf8(told);
    // Until the program ends, the password still guards the window.
    EXPECT_TRUE(h.Form().PasswordMatches(L"old pass"));

    h.Finish();  // the destroy step saves again, and says nothing more
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.Password(), std::wstring());
}

TEST(Settings, NoPasswordLeavesTheBoxUntickedAndTheValueEmpty) {
    // An existing empty value, and a value of another type, mean no password.
    for (bool dword : {false, true}) {
        SettingsHarness h;
        if (dword)
            h.desktop.SetRegistryDword(kHkcu, kPasswordKey, kPasswordValue, 5);
        else
            h.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue, L"");
        ASSERT_TRUE(h.Start());
        EXPECT_FALSE(h.Form().cbAppPassword.Checked());
        EXPECT_TRUE(h.Globals().applicationPassword.empty());
        EXPECT_TRUE(h.desktop.messageBoxes.empty());
        h.CloseAndFinish();
        EXPECT_EQ(h.Password(), std::wstring());
    }

    // Unticking the box removes the password at the next save; the value stays, empty.
    SettingsHarness h;
    h.desktop.SetRegistryString(kHkcu, kPasswordKey, kPasswordValue,
                                HashPassword(h.desktop, L"pw"));
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.Form().cbAppPassword.Checked());
    h.Form().cbAppPassword.SetCheckedSilently(false);
    h.CloseAndFinish();
    EXPECT_EQ(h.Password(), std::wstring());
    EXPECT_TRUE(h.Globals().applicationPassword.empty());
}

TEST(Settings, AFailedPasswordWriteGoesUnreported) {
    SettingsHarness h;
    h.desktop.registryWritable = false;
    ASSERT_TRUE(h.Start());
    h.CloseAndFinish();
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    EXPECT_FALSE(h.SettingsLines().empty());
}

TEST(Settings, ThePresentRunValueIsRewrittenQuotedAtEveryStart) {
    SettingsHarness h;
    h.desktop.moduleFileName = L"C:\\Program Files\\New Place\\Nivora.exe";
    h.desktop.SetRegistryString(kHkcu, kRunKey, kRunValue, L"C:\\Old\\Nivora.exe /q");
    ASSERT_TRUE(h.Start());
    EXPECT_TRUE(h.Form().cbAutoStart.Checked());
    EXPECT_EQ(h.RunValue(), L"\"C:\\Program Files\\New Place\\Nivora.exe\" /q");
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(Settings, AFailedRunValueRewriteAtStartIsReportedAndTheSettingsStillLoad) {
    SettingsHarness h;
    h.WriteSettings("[SpecialWindows]\r\nHideDesktop=1\r\n");
    h.desktop.SetRegistryString(kHkcu, kRunKey, kRunValue, L"C:\\Old\\Nivora.exe /q");
    h.desktop.registryWritable = false;
    ASSERT_TRUE(h.Start());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"Failed to set data for 'NVA'");
    EXPECT_TRUE(h.Form().cbHideDeskTop.Checked());
    h.CloseAndFinish();
    EXPECT_EQ(h.SettingsLines()[1], "HideDesktop=1");
}

TEST(Settings, TickingAutoStartWritesAndUntickingRemovesAtOnce) {
    SettingsHarness h;
    h.desktop.CreateRegistryKey(kHkcu, kRunKey);
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_FALSE(f.cbAutoStart.Checked());
    EXPECT_FALSE(h.RunValue().has_value());  // nothing written at start without the value

    h.User([&] { f.cbAutoStart.Click(); });
    EXPECT_EQ(h.RunValue(), L"\"C:\\Program Files\\Nivora\\Nivora.exe\" /q");
    EXPECT_TRUE(f.IsAutoStartSet());
    h.User([&] { f.cbAutoStart.Click(); });
    EXPECT_FALSE(h.RunValue().has_value());
    EXPECT_FALSE(f.IsAutoStartSet());
    EXPECT_TRUE(h.desktop.KeyExists(kHkcu, kRunKey));
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(Settings, AMissingRunKeyIsNeverCreated) {
    SettingsHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_FALSE(f.IsAutoStartSet());
    h.User([&] { f.cbAutoStart.Click(); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    // The quote (code 39) earns no full stop in the error report.
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"Failed to set data for 'NVA'");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    EXPECT_FALSE(h.desktop.KeyExists(kHkcu, kRunKey));
    h.User([&] { f.cbAutoStart.Click(); });  // unticking a missing value is quiet
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
}

TEST(PasswordHash, SaltsDifferAndMalformedHashesMatchNothing) {
    FakeDesktop desktop;
    std::wstring a = HashPassword(desktop, L"pw", 1000);
    std::wstring b = HashPassword(desktop, L"pw", 1000);
    EXPECT_NE(a, b);  // fresh salt each time
    EXPECT_TRUE(PasswordMatches(desktop, a, L"pw"));
    EXPECT_TRUE(PasswordMatches(desktop, b, L"pw"));
    EXPECT_FALSE(PasswordMatches(desktop, a, L"PW"));

    std::wstring prefix = kPasswordHashPrefix;
    for (const std::wstring& broken :
         {prefix, prefix + L"1000$", prefix + L"1000$00$", prefix + L"x$00$00",
          prefix + L"1000$0g$00", a.substr(0, a.size() - 2)})
        EXPECT_FALSE(PasswordMatches(desktop, broken, L"pw")) << ToUtf8(broken);
    // Whole hashes of the right password with no rounds, or so many that every prompt would
    // stall for minutes (a tampered value): refused, never computed.
    for (std::uint32_t iterations : {0u, 99'999'999u}) {
        std::wstring tampered = HashPassword(desktop, L"pw", iterations);
        EXPECT_FALSE(PasswordMatches(desktop, tampered, L"pw")) << ToUtf8(tampered);
    }
    // A count well above today's, as a later version may store, still works.
    EXPECT_TRUE(PasswordMatches(desktop, HashPassword(desktop, L"pw", 2'000'000u), L"pw"));
}

}  // namespace
}  // namespace nv::test
