// Nivora.exe started, switched and stopped as a user would, in a Wine prefix.
#include <gtest/gtest.h>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class Startup : public ::testing::Test {
protected:
    void SetUp() override { ResetDataFolder(); }

    // Starts Nivora and waits until its main window exists (shown or not).
    HWND StartNivora(Process& p, const std::wstring& args = L"") {
        EXPECT_TRUE(Start(p, L"Nivora.exe", args));
        HWND main = nullptr;
        WaitFor([&] { return (main = FindMainWindow(p.Pid())) != nullptr; });
        return main;
    }

    // Answers the question of "&Terminate" with the given button.
    HWND AskToTerminate(HWND main, DWORD pid) {
        EXPECT_TRUE(PressButton(main, L"&Terminate"));
        HWND box = nullptr;
        WaitFor([&] { return (box = FindDialog(pid)) != nullptr; });
        return box;
    }
};

TEST_F(Startup, ShowsTheMainWindowWithItsPagesAndStopsOnTerminate) {
    Process p;
    HWND main = StartNivora(p);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));

    // The button bar and the Windows page.
    for (const wchar_t* caption : {L"&Windows", L"&Extra Settings", L"&About", L"Hel&p", L"&Hide",
                                   L"&Terminate"})
        EXPECT_NE(FindChildByText(main, caption), nullptr) << caption;
    HWND refresh = FindChildByText(main, L"Refresh List");
    ASSERT_NE(refresh, nullptr);
    EXPECT_TRUE(IsShown(refresh));

    // The page buttons switch pages.
    HWND autoStart = FindChildByText(main, L"Automatically start when Windows starts");
    ASSERT_NE(autoStart, nullptr);
    EXPECT_FALSE(IsShown(autoStart));
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    EXPECT_TRUE(WaitFor([&] { return IsShown(autoStart); }));
    EXPECT_FALSE(IsShown(refresh));
    ASSERT_TRUE(PressButton(main, L"&Windows"));
    EXPECT_TRUE(WaitFor([&] { return IsShown(refresh); }));

    // Terminate asks; Cancel keeps the program, Yes ends it.
    HWND box = AskToTerminate(main, p.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(DialogText(box).find(L"Do you really want to stop using the application?"),
              std::wstring::npos);
    ASSERT_TRUE(PressButton(box, L"Cancel"));
    EXPECT_TRUE(WaitFor([&] { return FindDialog(p.Pid()) == nullptr; }));
    Sleep(300);
    EXPECT_TRUE(p.Running());

    box = AskToTerminate(main, p.Pid());
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(PressButton(box, L"&Yes"));
    EXPECT_EQ(p.Wait(), 0);
    DWORD attributes = GetFileAttributesW(DataFolder().c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Startup, ASecondStartWarnsAndLeavesTheFirstAlone) {
    Process first;
    HWND main = StartNivora(first);
    ASSERT_NE(main, nullptr);

    Process second;
    ASSERT_TRUE(Start(second, L"Nivora.exe"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(second.Pid())) != nullptr; }));
    EXPECT_NE(DialogText(box).find(L"This application is already started!"), std::wstring::npos);
    EXPECT_EQ(FindMainWindow(second.Pid()), nullptr);
    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(second.Wait(), 0);

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsShown(main));
}

TEST_F(Startup, TheQuietSwitchIsTheWholeFirstArgumentInAnyCase) {
    for (const wchar_t* args : {L"/q", L"/Q", L"/Qx"}) {
        Process p;
        HWND main = StartNivora(p, args);
        ASSERT_NE(main, nullptr) << args;
        Sleep(700);  // give a window that should stay hidden the time to appear
        bool shouldShow = std::wstring(args) == L"/Qx";
        EXPECT_EQ(IsShown(main) != FALSE, shouldShow) << args;
        p.Kill();
    }
}

TEST_F(Startup, AnUnsupportedWindowsReleaseIsRefusedWithoutAWindow) {
    std::wstring saved;
    bool had = RegReadString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"DisplayVersion", saved);
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"DisplayVersion", L"27H1"));

    Process p;
    ASSERT_TRUE(Start(p, L"Nivora.exe"));
    HWND box = nullptr;
    bool boxShown = WaitFor([&] { return (box = FindDialog(p.Pid())) != nullptr; });
    std::wstring text = boxShown ? DialogText(box) : L"";
    if (boxShown) PressButton(box, L"OK");
    int exitCode = p.Wait();

    if (had)
        RegWriteString(HKEY_LOCAL_MACHINE, kCurrentVersion, L"DisplayVersion", saved);
    else
        RegDelete(HKEY_LOCAL_MACHINE, kCurrentVersion, L"DisplayVersion");

    ASSERT_TRUE(boxShown);
    EXPECT_NE(text.find(L"This Windows version (27H1 - "), std::wstring::npos);
    EXPECT_NE(text.find(L"is not supported by this version of the application."), std::wstring::npos);
    EXPECT_EQ(exitCode, 0);

    // No mutex was left behind: a normal start works.
    Process again;
    HWND main = StartNivora(again);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitFor([&] { return IsShown(main); }));
}

}  // namespace
