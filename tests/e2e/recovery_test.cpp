// A session that ends while hidden, as a user meets it under Wine: Nivora is killed with three
// windows and the wallpaper hidden, and its next start, silent as at log-on, brings them back;
// windows another program hid stay hidden; a damaged record is told once and the start goes on.
#include <gtest/gtest.h>

#include <string>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

class Recovery : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeEmptyDataFolder();
        std::wstring settings = DataFolder() + L"nva.dat";
        WritePrivateProfileStringW(L"General", L"HideWallpaper", L"1", settings.c_str());
        RegWriteString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", kWallpaper);
        EXPECT_TRUE(Start(helper, L"nv_windows.exe", L"--exstyle 300 One --exstyle 108 Two "
                                                     L"--exstyle 100 Three Theirs"));
        for (const wchar_t* title : {L"One", L"Two", L"Three", L"Theirs"}) {
            HWND h = nullptr;
            WaitFor([&] { return (h = FindWindowOf(helper.Pid(), title)) != nullptr; });
            ASSERT_NE(h, nullptr) << title;
            windows.push_back(h);
            styles.push_back(GetWindowLongW(h, GWL_EXSTYLE));
        }
        theirs = windows.back();
        windows.pop_back();
        // Hidden by someone else before Nivora hides anything: not Nivora's to show.
        // It takes effect when its own thread gets to it: Nivora must not find it on screen.
        ShowWindow(theirs, SW_HIDE);
        ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(theirs); }));
    }
    void TearDown() override {
        nivora.Kill();
        RegWriteString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", L"");
    }

    // Starts Nivora and waits until it reaches its message loop: the recovery of start-up has
    // run, and the hotkeys are registered.
    HWND StartNivora() {
        EXPECT_TRUE(Start(nivora, L"Nivora.exe", L"/q"));
        HWND main = nullptr;
        WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; });
        EXPECT_TRUE(nivora.WaitUntilIdle());
        return main;
    }
    void HideEverything() {
        StartNivora();
        PressKeys({VK_CONTROL}, VK_OEM_3);
        ASSERT_TRUE(WaitFor([&] { return AllHidden() && Wallpaper().empty(); }));
        ASSERT_TRUE(FileExists(RecordFile()));
    }
    static std::wstring Wallpaper() {
        std::wstring value = L"(none)";
        RegReadString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", value);
        return value;
    }
    static std::wstring RecordFile() { return DataFolder() + L"Recovery.dat"; }
    bool AllHidden() {
        for (HWND h : windows)
            if (IsWindowVisible(h)) return false;
        return true;
    }
    bool AllShown() {
        for (HWND h : windows)
            if (!IsWindowVisible(h)) return false;
        return true;
    }
    // The next start finds the record and puts everything back as it was.
    void ExpectRecoveredAtTheNextStart() {
        ASSERT_FALSE(nivora.Running());
        EXPECT_TRUE(AllHidden());  // nothing of a killed program's own undoes its hide
        StartNivora();
        EXPECT_TRUE(WaitFor([&] { return !FileExists(RecordFile()); }));
        EXPECT_TRUE(AllShown());
        for (size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(GetWindowLongW(windows[i], GWL_EXSTYLE), styles[i]) << i;
        EXPECT_EQ(Wallpaper(), kWallpaper);
        EXPECT_FALSE(IsWindowVisible(theirs));
        EXPECT_FALSE(FileExists(RecordFile()));
        EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);

        // A second start changes nothing: a window hidden since stays hidden.
        nivora.Kill();
        ShowWindow(windows[0], SW_HIDE);
        StartNivora();
        EXPECT_FALSE(IsWindowVisible(windows[0]));
        EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);
    }

    const std::wstring kWallpaper = L"C:\\windows\\Lake.bmp";
    Process helper, nivora;
    std::vector<HWND> windows;
    std::vector<LONG> styles;
    HWND theirs = nullptr;
};

TEST_F(Recovery, AfterTerminateProcessTheNextStartBringsEverythingBack) {
    HideEverything();
    nivora.Kill();  // TerminateProcess
    ExpectRecoveredAtTheNextStart();
}

// SIGKILL to the wine process that runs Nivora.exe, found among this prefix's processes by a
// shell script. Wine cannot wait for a Unix program it started: the caller waits for Nivora to
// end, then removes the script (script).
bool KillWithSignal(std::wstring& script) {
    wchar_t prefix[1024] = {};
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024)) return false;
    char narrow[1024];
    WideCharToMultiByte(CP_UTF8, 0, prefix, -1, narrow, sizeof narrow, nullptr, nullptr);
    script = StartShellScript(
        L"nv-sigkill",
        std::string("for p in $(pgrep -f 'Nivora[.]exe'); do\n") +
            "  if tr '\\0' '\\n' < /proc/$p/environ 2>/dev/null | grep -qxF 'WINEPREFIX=" +
            narrow + "'; then kill -9 $p; fi\ndone\n");
    return !script.empty();
}

TEST_F(Recovery, AfterSigkillOfTheWineProcessTheNextStartBringsEverythingBack) {
    HideEverything();
    std::wstring script;
    ASSERT_TRUE(KillWithSignal(script));
    int ended = nivora.Wait(30000);
    DeleteFileW(script.c_str());
    ASSERT_NE(ended, -1);  // ended, by whatever code Wine gives it
    ExpectRecoveredAtTheNextStart();
}

// "Nivora.exe /restore" with none running: what the record lists comes back, as at a start,
// and nothing stays running.
TEST_F(Recovery, AfterAKillTheRestoreSwitchGivesEverythingBackAndEnds) {
    HideEverything();
    nivora.Kill();
    ASSERT_TRUE(Start(nivora, L"Nivora.exe", L"/restore"));
    EXPECT_EQ(nivora.Wait(15000), 0);
    EXPECT_TRUE(AllShown());
    for (size_t i = 0; i < windows.size(); ++i)
        EXPECT_EQ(GetWindowLongW(windows[i], GWL_EXSTYLE), styles[i]) << i;
    EXPECT_EQ(Wallpaper(), kWallpaper);
    EXPECT_FALSE(IsWindowVisible(theirs));
    EXPECT_FALSE(FileExists(RecordFile()));
    EXPECT_EQ(CountProcesses(L"Nivora.exe"), 0);
}

TEST_F(Recovery, ADamagedRecordIsToldOnceAndTheStartGoesOn) {
    WriteFileBytes(RecordFile(), {'N', 'i', 'v', 'o', 'r', 'a', '?', '\r', '\n'});
    EXPECT_TRUE(Start(nivora, L"Nivora.exe", L"/q"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
    EXPECT_NE(DialogText(box).find(L"Nivora could not recover what a previous session had hidden."),
              std::wstring::npos)
        << DialogText(box);
    PressButton(box, L"OK");
    ASSERT_TRUE(WaitFor([&] { return FindDialog(nivora.Pid()) == nullptr; }));
    EXPECT_FALSE(FileExists(RecordFile()));
    EXPECT_TRUE(FileExists(DataFolder() + L"Recovery.damaged"));
    // It works as ever: the hotkey hides (the first press posted, as start-up may still be
    // registering the hotkeys), and the next brings everything back.
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; }));
    PostHotkey(main, 0, MOD_CONTROL, VK_OEM_3);
    EXPECT_TRUE(WaitFor([&] { return AllHidden(); }));
    PressKeys({VK_CONTROL}, VK_OEM_3);
    EXPECT_TRUE(WaitFor([&] { return AllShown(); }));
    EXPECT_FALSE(IsWindowVisible(main));  // still the silent start it was asked for
}

}  // namespace
