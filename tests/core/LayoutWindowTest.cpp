// The hotkey layout window against the in-memory desktop: made once at start-up, shown modeless
// by "Show Hotkeys Layout", closed by "Close"; and where the centring puts it.
#include <gtest/gtest.h>

#include "support/Harness.h"
#include "ui/FormKeyboardLayour.h"

namespace nv::test {
namespace {

TEST(LayoutWindow, IsMadeHiddenAtStartAndShownModelessUntilClosed) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    TFormKeyboardLayour& layout = *f.FormKeyboardLayour;
    ASSERT_NE(layout.Handle(), 0u) << "realised at start-up";
    EXPECT_FALSE(layout.Visible());
    EXPECT_TRUE(layout.borderless);
    EXPECT_EQ(layout.Width(), 483);
    EXPECT_EQ(layout.Height(), 325);
    EXPECT_EQ(layout.imgKeyboard.Bounds().top, 16);
    EXPECT_EQ(layout.imgKeyboard.Width(), 481);
    EXPECT_EQ(layout.imgKeyboard.Height(), 262);
    EXPECT_EQ(layout.btnExit.Caption(), L"Close");
    EXPECT_EQ(layout.btnExit.Width(), 155);
    EXPECT_EQ(layout.btnExit.Height(), 26);
    // The button lies wholly inside the window, under the picture.
    EXPECT_GE(layout.btnExit.Bounds().top, 16 + 262);
    EXPECT_LE(layout.btnExit.Bounds().bottom, 325);

    WindowHandle window = layout.Handle();
    h.User([&] { f.btShowLayout.Click(); });
    EXPECT_TRUE(layout.Visible());
    EXPECT_FALSE(layout.InModal());
    EXPECT_TRUE(layout.ScreenPosition().has_value()) << "placed over the main window";
    h.User([&] { f.btShowLayout.Click(); });  // again while open: still the one window
    EXPECT_TRUE(layout.Visible());
    EXPECT_EQ(layout.Handle(), window);

    h.User([&] { layout.btnExit.Click(); });
    EXPECT_FALSE(layout.Visible());
    EXPECT_TRUE(f.Visible()) << "closing the layout window leaves the main window alone";
    h.User([&] { f.btShowLayout.Click(); });
    EXPECT_TRUE(layout.Visible()) << "reused";
    EXPECT_EQ(layout.Handle(), window);
    h.Finish();
}

TEST(LayoutWindow, IsCentredOverTheOwnerAndKeptOnTheScreen) {
    const Rect screen{0, 0, 1024, 768};
    Point p = CenteredOver(Rect{100, 100, 750, 480}, 489, 331, screen);
    EXPECT_EQ(p.x, 100 + (650 - 489) / 2);
    EXPECT_EQ(p.y, 100 + (380 - 331) / 2);
    // An owner near an edge: the window slides back onto the screen, never off its top left.
    p = CenteredOver(Rect{800, 600, 1450, 980}, 489, 331, screen);
    EXPECT_EQ(p.x, 1024 - 489);
    EXPECT_EQ(p.y, 768 - 331);
    p = CenteredOver(Rect{-600, -300, 50, 80}, 489, 331, screen);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    // Larger than the screen: its top left corner stays visible.
    p = CenteredOver(Rect{0, 0, 300, 200}, 2000, 1000, screen);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

}  // namespace
}  // namespace nv::test
