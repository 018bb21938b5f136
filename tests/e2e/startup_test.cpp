// Nivora.exe started, switched and stopped as a user would, in a Wine prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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

    // Still running: the next press asks again.
    box = AskToTerminate(main, p.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(p.Running());
    ASSERT_TRUE(PressButton(box, L"&Yes"));
    EXPECT_EQ(p.Wait(), 0);
    DWORD attributes = GetFileAttributesW(DataFolder().c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where a child window lies in its top-level window's client area.
RECT ClientRectOf(HWND child, HWND top) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(Startup, TheWindowOpensCentredWithItsButtonBarAndKeepsItsMinimumSize) {
    Process p;
    HWND main = StartNivora(p);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto px = [&](int value) { return MulDiv(value, dpi, 96); };

    // A client area of 634 x 341, unless the frame is so thin that the window would be
    // smaller than its minimum (as Wine draws it): then the minimum.
    RECT client, outer;
    GetClientRect(main, &client);
    GetWindowRect(main, &outer);
    int frameWidth = (outer.right - outer.left) - client.right;
    int frameHeight = (outer.bottom - outer.top) - client.bottom;
    EXPECT_EQ(outer.right - outer.left, std::max(px(634) + frameWidth, px(650)));
    EXPECT_EQ(outer.bottom - outer.top, std::max(px(341) + frameHeight, px(380)));
    EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
    EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
    LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_SYSMENU);  // no close, minimise or maximise buttons

    // The button bar under the 30-pixel header: four buttons from the left, then Hide and,
    // after a 10-pixel gap, Terminate at the right end.
    std::vector<RECT> bar;
    for (const wchar_t* caption : {L"&Windows", L"&Extra Settings", L"&About", L"Hel&p", L"&Hide",
                                   L"&Terminate"}) {
        HWND button = FindChildByText(main, caption);
        ASSERT_NE(button, nullptr) << caption;
        bar.push_back(ClientRectOf(button, main));
        EXPECT_EQ(bar.back().top, px(30)) << caption;
        EXPECT_EQ(bar.back().bottom, px(59)) << caption;
    }
    EXPECT_EQ(bar[0].left, 0);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(bar[i].left, bar[i - 1].right) << i;
    EXPECT_EQ(bar[5].right, client.right);
    EXPECT_EQ(bar[5].left - bar[4].right, px(10));

    SetWindowPos(main, nullptr, 0, 0, 200, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.right - outer.left, px(650));
    EXPECT_EQ(outer.bottom - outer.top, px(380));
    p.Kill();
}

TEST_F(Startup, ASecondStartWarnsAndLeavesTheFirstAlone) {
    Process first;
    HWND main = StartNivora(first);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    ASSERT_TRUE(first.WaitUntilIdle());  // up and shown before the second comes

    Process second;
    ASSERT_TRUE(Start(second, L"Nivora.exe"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(second.Pid())) != nullptr; }));
    EXPECT_NE(DialogText(box).find(L"This application is already started!"), std::wstring::npos);
    EXPECT_EQ(FindMainWindow(second.Pid()), nullptr);
    ASSERT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(second.Wait(), 0);

    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(WaitFor([&] { return IsShown(main); }));  // it may still be starting up
}

TEST_F(Startup, TheQuietSwitchIsTheWholeFirstArgumentInAnyCase) {
    for (const wchar_t* args : {L"/q", L"/Q", L"/Qx"}) {
        Process p;
        HWND main = StartNivora(p, args);
        ASSERT_NE(main, nullptr) << args;
        // In its message loop: start-up has shown the window by now if it is to.
        ASSERT_TRUE(p.WaitUntilIdle()) << args;
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

TEST_F(Startup, AnUnreadableListFileIsToldOnceAndNeverKeepsTheProgramFromEnding) {
    const std::wstring folder = DataFolder();
    const std::wstring exList = folder + L"ExList.Dat";
    const std::vector<unsigned char> record = ListRecord(L"Kept", L"C:\\kept.exe", 1);
    for (bool locked : {true, false}) {
        SCOPED_TRACE(locked ? "ExList.Dat held open by another program" : "a folder in its place");
        ResetDataFolder();
        CreateDirectoryW(folder.substr(0, folder.size() - 5).c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (locked) {
            WriteFileBytes(exList, record);
            holder = CreateFileW(exList.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        } else {
            ASSERT_TRUE(CreateDirectoryW(exList.c_str(), nullptr));
        }

        // Told at start-up, naming the file.
        Process p;
        ASSERT_TRUE(Start(p, L"Nivora.exe"));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(p.Pid())) != nullptr; }));
        std::wstring text = DialogText(box);
        EXPECT_NE(text.find(L"Do-not-hide list (ExList.Dat) could not be read"),
                  std::wstring::npos);
        ASSERT_TRUE(PressButton(box, L"OK"));
        HWND main = nullptr;
        ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(p.Pid())); }));

        // Terminate ends the program with nothing more to say; the other files are written.
        box = AskToTerminate(main, p.Pid());
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(PressButton(box, L"&Yes"));
        EXPECT_EQ(p.Wait(), 0);
        EXPECT_TRUE(FileExists(folder + L"nva.dat"));
        EXPECT_TRUE(FileExists(folder + L"BttList.Dat"));
        if (locked) {
            CloseHandle(holder);
            EXPECT_EQ(ReadFileBytes(exList), record);
        } else {
            EXPECT_TRUE(GetFileAttributesW(exList.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
    ResetDataFolder();
}

}  // namespace
