// Start-up and shut-down of the program against the in-memory desktop.
#include <gtest/gtest.h>

#include <fstream>

#include "support/Harness.h"

namespace nv::test {
namespace {

TEST(Startup, BuildsPathsAndDataFolder) {
    Harness h;
    h.Make();
    const TGlobals& g = h.Globals();
    EXPECT_EQ(g.applicationTitle, L"NV");
    ASSERT_GE(g.dataFolder.size(), 13u);
    EXPECT_EQ(g.dataFolder.substr(g.dataFolder.size() - 13), L"\\Talvern\\NVA\\");
    EXPECT_EQ(g.settingsFile, g.dataFolder + L"nva.dat");
    EXPECT_EQ(g.excludeListFile, g.dataFolder + L"ExList.Dat");
    EXPECT_EQ(g.bringToTopFile, g.dataFolder + L"BttList.Dat");
    EXPECT_EQ(g.programFolder, L"C:\\Program Files\\Nivora");
    EXPECT_EQ(g.helpFilePath, L"C:\\Program Files\\Nivora\\Help.chm");
    EXPECT_TRUE(std::filesystem::is_directory(h.desktop.RealPath(g.dataFolder)));
}

TEST(Startup, WithoutAppDataThePathsAreRelative) {
    Harness h;
    h.desktop.appDataAvailable = false;
    h.Make();
    EXPECT_EQ(h.Globals().dataFolder, L"Talvern\\NVA\\");
}

TEST(Startup, NormalStartShowsTheMainWindowOnTheWindowsPage) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(f.Caption(), L"NV");
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetWindows);
    EXPECT_TRUE(f.btnWindows.Down());
    EXPECT_TRUE(h.Globals().ready);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(Startup, QuietSwitchIsTheWholeFirstArgumentInAnyCase) {
    EXPECT_TRUE(TProgram::IsQuietSwitch(L"/Q"));
    EXPECT_TRUE(TProgram::IsQuietSwitch(L"/q"));
    EXPECT_FALSE(TProgram::IsQuietSwitch(L"/Qx"));
    EXPECT_FALSE(TProgram::IsQuietSwitch(L"Q"));
    EXPECT_FALSE(TProgram::IsQuietSwitch(L"-q"));
    EXPECT_FALSE(TProgram::IsQuietSwitch(L""));

    for (auto [args, shown] : std::vector<std::pair<std::vector<std::wstring>, bool>>{
             {{L"/q"}, false}, {{L"/Q"}, false}, {{L"/Qx"}, true}, {{L"x", L"/Q"}, true}, {{}, true}}) {
        Harness h;
        h.desktop.commandLine = args;
        ASSERT_TRUE(h.Start());
        EXPECT_EQ(h.Form().Visible(), shown) << (args.empty() ? "" : ToUtf8(args[0]));
    }
}

TEST(Startup, AFailedCreationStepIsReportedAndTheListsAndSettingsStillLoad) {
    Harness h;
    h.backend.imageListsFail = true;
    h.Make();
    std::vector<std::uint8_t> record(513, 0);
    record[0] = 4;
    std::copy_n("Mail", 4, record.begin() + 1);
    h.desktop.ReplaceFileContents(h.Globals().excludeListFile, record);
    h.desktop.WritePrivateProfileStringW(L"SpecialWindows", L"HideDesktop", L"1",
                                         h.Globals().settingsFile);

    ASSERT_TRUE(h.Start());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"Invalid ImageList.");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    TMainForm& f = h.Form();
    // What the next save writes back is what the files held, not empty lists and defaults.
    EXPECT_EQ(f.ExcludeList.Count(), 1);
    EXPECT_TRUE(f.cbHideDeskTop.Checked());
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetWindows);
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(h.Globals().ready);
}

TEST(Startup, TheHideHotkeyDoesNothingWhileAStartUpMessageIsOpen) {
    Harness h;
    WindowHandle other = h.desktop.AddWindow(L"Report", L"AppWindow", 77);
    h.desktop.takenHotkeys.insert({HotKeyMod::Control, 220});  // Ctrl+\ belongs to another
    bool pressed = false;
    h.desktop.onMessageBox = [&](const MessageBoxRecord&) {
        // The hide hotkey is registered by now; its press arrives while the box is open.
        if (!h.desktop.hotkeys.empty()) {
            pressed = true;
            h.User([&] { h.Form().HotKey(0); });
        }
    };
    ASSERT_TRUE(h.Start());
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(h.Form().IsHiddenMode());
    EXPECT_TRUE(h.desktop.IsWindowVisible(other));
    EXPECT_TRUE(h.Globals().ready);
}

TEST(Startup, SecondInstanceWarnsAndEndsWithoutAWindow) {
    Harness h;
    h.desktop.mutexExists = true;
    EXPECT_FALSE(h.Start());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"This application is already started!");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Warning);
    EXPECT_EQ(h.program->MainForm(), nullptr);
    EXPECT_TRUE(h.App().Terminated());
}

TEST(Startup, RestoreWithANivoraRunningAsksItToRestoreAndEnds) {
    EXPECT_TRUE(TProgram::IsRestoreSwitch(L"/restore"));
    EXPECT_TRUE(TProgram::IsRestoreSwitch(L"/RESTORE"));
    EXPECT_FALSE(TProgram::IsRestoreSwitch(L"/restore2"));
    EXPECT_FALSE(TProgram::IsRestoreSwitch(L"restore"));

    Harness h;
    h.desktop.mutexExists = true;
    h.desktop.commandLine = {L"/Restore"};
    WindowHandle running = h.desktop.AddWindow(L"NV", L"TMainForm", 77, false);
    h.desktop.AddWindow(L"NV", L"TOther", 78);
    EXPECT_FALSE(h.Start());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());  // not "already started"
    EXPECT_EQ(h.program->MainForm(), nullptr);
    EXPECT_TRUE(h.App().Terminated());
    ASSERT_EQ(h.desktop.posted.size(), 1u);
    EXPECT_EQ(h.desktop.posted[0].window, running);
    EXPECT_EQ(h.desktop.posted[0].msg, h.desktop.RegisterWindowMessageW(kRestoreRequestMessage));
}

TEST(Startup, AMutexThatCannotBeMadeStillLetsTheProgramStart) {
    // Only a name another instance holds stops the start; a failure to make the mutex at all
    // would otherwise leave the user with no program.
    Harness h;
    h.desktop.mutexFails = true;
    EXPECT_TRUE(h.Start());
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    EXPECT_NE(h.program->MainForm(), nullptr);
}

TEST(Startup, TerminateAsksAndOnlyYesCloses) {
    Harness h;
    ASSERT_TRUE(h.Start());
    h.desktop.messageBoxAnswers = {MessageBoxResult::Cancel};
    h.User([&] { h.Form().btnTerminate.Click(); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"Do you really want to stop using the application?");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Warning);
    EXPECT_EQ(h.desktop.messageBoxes[0].buttons, MessageBoxButtons::YesCancel);
    EXPECT_FALSE(h.App().Terminated());

    h.desktop.messageBoxAnswers = {MessageBoxResult::Yes};
    h.User([&] { h.Form().btnTerminate.Click(); });
    EXPECT_TRUE(h.App().Terminated());
    EXPECT_FALSE(h.Form().Visible());
}

TEST(Startup, PageButtonsSwitchPagesAndStayDownAsAGroup) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    f.btnOptions.Click();
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetOptions);
    EXPECT_TRUE(f.btnOptions.Down());
    EXPECT_FALSE(f.btnWindows.Down());
    f.btnAbout.Click();
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetAbout);
    EXPECT_TRUE(f.btnAbout.Down());
    EXPECT_FALSE(f.btnOptions.Down());
    f.btnAbout.Click();  // pressing the down button again keeps it down
    EXPECT_TRUE(f.btnAbout.Down());
    f.ShowShortcutsPage();
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetOptions);
    EXPECT_EQ(f.PageControlSettings.ActivePage(), &f.SheetSetShortcuts);
    EXPECT_TRUE(f.btnKeyaboard.Down());
    EXPECT_FALSE(f.btnGeneral.Down());
}

TEST(Shutdown, CloseSavesBothListsThenTheSettingsAndTheDestroyStepWritesTheSameAgain) {
    Harness h;
    ASSERT_TRUE(h.Start());
    const TGlobals& g = h.Globals();
    auto exists = [&](const std::wstring& file) {
        return std::filesystem::exists(h.desktop.RealPath(file));
    };
    auto bytes = [&](const std::wstring& file) {
        std::ifstream in(h.desktop.RealPath(file), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto terminate = [&] {
        h.desktop.messageBoxAnswers = {MessageBoxResult::Yes};
        h.User([&] { h.Form().btnTerminate.Click(); });
    };

    // A failed save is reported and stops the close query there: the window stays.
    h.desktop.failingWrites.insert(g.excludeListFile);
    terminate();
    ASSERT_EQ(h.desktop.messageBoxes.size(), 2u);
    EXPECT_EQ(h.desktop.messageBoxes[1].kind, MessageBoxKind::Error);
    EXPECT_EQ(h.desktop.messageBoxes[1].caption, L"NV");
    EXPECT_FALSE(exists(g.bringToTopFile));
    EXPECT_FALSE(exists(g.settingsFile));
    EXPECT_FALSE(h.App().Terminated());
    EXPECT_TRUE(h.Form().Visible());

    h.desktop.failingWrites.clear();
    terminate();
    ASSERT_TRUE(h.App().Terminated());
    std::vector<std::string> saved;
    for (const std::wstring* file : {&g.excludeListFile, &g.bringToTopFile, &g.settingsFile}) {
        ASSERT_TRUE(exists(*file));
        saved.push_back(bytes(*file));
        std::filesystem::remove(h.desktop.RealPath(*file));
    }
    EXPECT_FALSE(h.desktop.hotkeys.empty());

    h.Finish();
    std::vector<std::string> again;
    for (const std::wstring* file : {&g.excludeListFile, &g.bringToTopFile, &g.settingsFile})
        again.push_back(bytes(*file));
    EXPECT_EQ(again, saved);
    EXPECT_TRUE(h.desktop.hotkeys.empty());
}

// Logging off with a settings file that cannot be written: the session ends all the same,
// with the lists saved and not a word, since nobody is left to answer a message.
TEST(Shutdown, TheEndOfTheSessionIsNeverRefusedAndSavesWhatItCan) {
    Harness h;
    ASSERT_TRUE(h.Start());
    const TGlobals& g = h.Globals();
    h.desktop.failingWrites.insert(g.settingsFile);
    bool allowed = false;
    h.User([&] { allowed = h.Form().QueryEndSession(); });
    EXPECT_TRUE(allowed);
    for (const std::wstring* file : {&g.excludeListFile, &g.bringToTopFile})
        EXPECT_TRUE(std::filesystem::exists(h.desktop.RealPath(*file)));
    std::filesystem::remove(h.desktop.RealPath(g.excludeListFile));
    h.User([&] { h.Form().EndSession(); });
    EXPECT_TRUE(std::filesystem::exists(h.desktop.RealPath(g.excludeListFile)));
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
    EXPECT_TRUE(h.desktop.hotkeys.empty());
}

TEST(Shutdown, TheDestroyStepSavesNothingBeforeStartUpHasFinished) {
    Harness h;
    ASSERT_TRUE(h.Start());
    h.Globals().ready = false;  // as when the process ends before its message loop
    h.Finish();
    for (const std::wstring* file :
         {&h.Globals().excludeListFile, &h.Globals().bringToTopFile, &h.Globals().settingsFile})
        EXPECT_FALSE(std::filesystem::exists(h.desktop.RealPath(*file)));
    EXPECT_TRUE(h.desktop.hotkeys.empty());
}

TEST(ErrorReport, AppendsAFullStopAfterCharactersAbove46) {
    EXPECT_EQ(TApplication::ErrorReportText(L"Unable to write"), L"Unable to write.");
    EXPECT_EQ(TApplication::ErrorReportText(L"Done."), L"Done.");   // '.' is 46
    EXPECT_EQ(TApplication::ErrorReportText(L"Path /"), L"Path /.");  // '/' is 47
    EXPECT_EQ(TApplication::ErrorReportText(L"Failed -"), L"Failed -");  // '-' is 45
    EXPECT_EQ(TApplication::ErrorReportText(L"Stop!"), L"Stop!");
    EXPECT_EQ(TApplication::ErrorReportText(L""), L"");
}

TEST(ErrorReport, AnEscapedErrorBecomesAnErrorBoxAndTheProgramGoesOn) {
    Harness h;
    ASSERT_TRUE(h.Start());
    h.User([] { throw std::runtime_error("Unable to write to C:\\x\\nva.dat"); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, L"Unable to write to C:\\x\\nva.dat.");
    EXPECT_EQ(h.desktop.messageBoxes[0].caption, L"NV");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
    EXPECT_FALSE(h.App().Terminated());
}

}  // namespace
}  // namespace nv::test
