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
    EXPECT_EQ(layout.btnExit.Caption(), L"Close");
    // The keyboard and, under it, the button lie wholly inside the window.
    const Rect picture = layout.imgKeyboard.Bounds(), button = layout.btnExit.Bounds();
    for (const Rect& r : {picture, button}) {
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, layout.Width());
        EXPECT_LE(r.bottom, layout.Height());
    }
    EXPECT_GE(button.top, picture.bottom);

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
