// The hotkey layout window as a user meets it: "Show Hotkeys Layout" on the General sub-page
// opens it centred over the main window and borderless, while the main window stays usable;
// pressing again centres it again; "Close" closes it. (Its size at each dpi, and that nothing in
// it lies outside it, are high_dpi_test.cpp's.)
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Driver.h"

using namespace e2e;

namespace {

HWND LayoutWindow(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (ClassName(w) == L"TFormKeyboardLayour") return w;
    return nullptr;
}

POINT Centre(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool CentredOver(HWND window, HWND owner) {
    POINT a = Centre(window), b = Centre(owner);
    return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1;
}

TEST(LayoutWindow, OpensCentredOverTheMainWindowAndClosesWithClose) {
    MakeEmptyDataFolder();
    Process nivora;
    ASSERT_TRUE(Start(nivora, L"Nivora.exe"));
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); }));
    ASSERT_TRUE(Answers(main));

    // Made once at start-up, hidden until asked for.
    HWND layout = LayoutWindow(nivora.Pid());
    ASSERT_NE(layout, nullptr);
    EXPECT_FALSE(IsShown(layout));

    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    ASSERT_TRUE(PressButton(main, L"Show Hotkeys Layout"));
    ASSERT_TRUE(WaitFor([&] { return IsShown(layout); }));
    LONG style = GetWindowLongW(layout, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << "no title bar";
    EXPECT_EQ(style & WS_THICKFRAME, 0) << "no sizing border";
    EXPECT_TRUE(CentredOver(layout, main));
    EXPECT_EQ(LayoutWindow(nivora.Pid()), layout) << "the one window, reused";

    // Modeless: the main window still takes clicks. Moved, then pressed again: centred again.
    EXPECT_TRUE(IsWindowEnabled(main));
    SetWindowPos(main, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] { return !CentredOver(layout, main); }));
    ASSERT_TRUE(PressButton(main, L"Show Hotkeys Layout"));
    EXPECT_TRUE(WaitFor([&] { return CentredOver(layout, main); }));
    EXPECT_TRUE(IsShown(layout));

    ASSERT_TRUE(PressButton(layout, L"Close"));
    EXPECT_TRUE(WaitFor([&] { return !IsShown(layout); }));
    EXPECT_TRUE(IsShown(main));
    EXPECT_TRUE(Answers(main));
    EXPECT_TRUE(nivora.Running());

    ASSERT_TRUE(PressButton(main, L"&Terminate"));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
    ASSERT_TRUE(PressButton(box, L"&Yes"));
    EXPECT_EQ(nivora.Wait(), 0);
}

}  // namespace
