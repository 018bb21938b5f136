// Display modes as a user meets them, in a Wine virtual desktop (where modes can be switched):
// the test of a mode with its box and its self-closing dialog, and a hide that switches to the
// chosen mode and a restore that switches back. Runs only through the CTest entry that starts
// it inside a virtual desktop of its own (scripts/with-virtual-desktop.sh).
#include <gtest/gtest.h>

#include <chrono>

#include "support/Driver.h"

using namespace e2e;

namespace {

DEVMODEW CurrentMode() {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return mode;
}

bool IsMode(const DEVMODEW& m, DWORD width, DWORD height, DWORD bits) {
    return m.dmPelsWidth == width && m.dmPelsHeight == height && m.dmBitsPerPel == bits;
}

// The first listed mode of that size and depth, or -1.
int ModeNumber(DWORD width, DWORD height, DWORD bits) {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    for (int n = 0; EnumDisplaySettingsW(nullptr, n, &mode); ++n)
        if (IsMode(mode, width, height, bits)) return n;
    return -1;
}

std::wstring CountdownText(HWND dialog) {
    std::wstring found;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM param) {
            std::wstring text = WindowText(child);
            if (text.rfind(L"Original mode will be restored in ", 0) != 0) return TRUE;
            *reinterpret_cast<std::wstring*>(param) = text;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The number in "... restored in N seconds.", or -1.
int SecondsShown(HWND dialog) {
    std::wstring text = CountdownText(dialog);
    if (text.empty()) return -1;
    return _wtoi(text.c_str() + wcslen(L"Original mode will be restored in "));
}

TEST(VirtualDesktop, TheTestDialogCountsDownAndSwitchesBackAndAHideSwitchesToTheChosenMode) {
    const DEVMODEW before = CurrentMode();
    ASSERT_TRUE(IsMode(before, 1280, 1024, 32))
        << "run in a 1280x1024 Wine virtual desktop (scripts/with-virtual-desktop.sh)";
    int svga = ModeNumber(800, 600, 32);
    ASSERT_GE(svga, 0) << "a Wine virtual desktop lists 800x600 at 32 bits";

    MakeEmptyDataFolder();
    std::wstring folder = DataFolder();
    std::string settings = "[Display]\r\nResolution=" + std::to_string(svga) + "\r\nSwitch=1\r\n";
    WriteFileBytes(folder + L"nva.dat", {settings.begin(), settings.end()});

    Process nivora;
    ASSERT_TRUE(Start(nivora, L"Nivora.exe"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); }));
    ASSERT_TRUE(nivora.WaitUntilIdle());  // in its message loop, hotkeys registered
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    ASSERT_TRUE(PressButton(main, L"Display"));
    ASSERT_TRUE(PressButton(main, L"Test selected resolution"));

    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
    EXPECT_NE(DialogText(box).find(L"Your display mode will be switched to the one you have "
                                   L"selected."),
              std::wstring::npos);
    EXPECT_EQ(WindowText(box), L"Information");
    EXPECT_EQ(CurrentMode().dmPelsWidth, 1280u);  // nothing switches before the box is answered
    // The dialog's countdown starts after this answer: what is measured from here is the
    // least time it stays.
    const auto answered = std::chrono::steady_clock::now();
    ASSERT_TRUE(PressButton(box, L"OK"));

    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (dialog = FindWindowOf(nivora.Pid(), L"Display mode test")); }));
    EXPECT_NE(FindChildByText(dialog, L"Does this mode display correctly?"), nullptr);
    EXPECT_NE(FindChildByText(dialog, L"&Yes"), nullptr);
    EXPECT_NE(FindChildByText(dialog, L"&No"), nullptr);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(WaitFor([] { return IsMode(CurrentMode(), 800, 600, 32); }));
    // The line is written as the dialog shows, and counts down; left alone, the dialog goes
    // on its own, not before its time.
    int first = -1;
    EXPECT_TRUE(WaitFor([&] { return (first = SecondsShown(dialog)) >= 0; }));
    EXPECT_LE(first, 10);
    EXPECT_TRUE(WaitFor([&] { return SecondsShown(dialog) < first || !IsWindowVisible(dialog); },
                        20000));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, 60000));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - answered).count();
    EXPECT_GT(seconds, 9.0);
    EXPECT_TRUE(WaitFor([] { return IsMode(CurrentMode(), 1280, 1024, 32); }));

    // The hotkey: hidden in the chosen mode, back in the mode of before.
    PressKeys({VK_CONTROL}, VK_OEM_3);
    EXPECT_TRUE(WaitFor([] { return IsMode(CurrentMode(), 800, 600, 32); }));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }));
    PressKeys({VK_CONTROL}, VK_OEM_3);
    EXPECT_TRUE(WaitFor([] { return IsMode(CurrentMode(), 1280, 1024, 32); }));
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);  // no message on the way
    nivora.Kill();
}

}  // namespace
