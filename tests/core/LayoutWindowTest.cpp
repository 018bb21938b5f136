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

}  // namespace
}  // namespace nv::test
