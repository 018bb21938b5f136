// The pictures as built into the executable: every picture is present at each of its three
// sizes (96, 144 and 192 dpi), decodes to premultiplied pixels of the size its dpi asks for, and
// the program icon holds every size Windows asks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "ui/FormKeyboardLayour.h"
#include "widgets/Application.h"
#include "widgets/win32/Pictures.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Win32Backend.h"

namespace nv::win32 {
namespace {

TEST(Pictures, EveryPictureDecodesAtEachSizeInProportion) {
    for (int id : kPictureIds) {
        SCOPED_TRACE(id);
        Picture small, medium, large;
        ASSERT_TRUE(DecodePicture(id, small));
        ASSERT_TRUE(DecodePicture(id + IDP_SIZE_STEP, medium));
        ASSERT_TRUE(DecodePicture(id + 2 * IDP_SIZE_STEP, large));
        // Rendered at 1.5 and 2 times the size (rounded either way at half pixels).
        EXPECT_NEAR(medium.width, small.width * 1.5, 1.0);
        EXPECT_NEAR(medium.height, small.height * 1.5, 1.0);
        EXPECT_EQ(large.width, small.width * 2);
        EXPECT_EQ(large.height, small.height * 2);
        // Premultiplied: no colour channel exceeds its pixel's alpha.
        DIBSECTION dib{};
        ASSERT_EQ(::GetObjectW(large.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
        auto* pixels = static_cast<const BYTE*>(dib.dsBm.bmBits);
        bool premultiplied = true, anyOpaque = false;
        for (int i = 0; i < large.width * large.height; ++i) {
            const BYTE* p = pixels + i * 4;
            if (p[0] > p[3] || p[1] > p[3] || p[2] > p[3]) premultiplied = false;
            if (p[3] == 255) anyOpaque = true;
        }
        EXPECT_TRUE(premultiplied);
        EXPECT_TRUE(anyOpaque) << "a picture, not an empty image";
        for (Picture* p : {&small, &medium, &large}) ::DeleteObject(p->bitmap);
    }
}

TEST(Pictures, TheSizesTheControlsAskFor) {
    auto size96 = [](int id) {
        Picture p;
        EXPECT_TRUE(DecodePicture(id, p));
        SIZE s{p.width, p.height};
        ::DeleteObject(p.bitmap);
        return s;
    };
    EXPECT_EQ(size96(IDP_LOGO).cx, 150);
    EXPECT_EQ(size96(IDP_LOGO).cy, 216);
    EXPECT_EQ(size96(IDP_KEYBOARD).cx, 481);
    EXPECT_EQ(size96(IDP_KEYBOARD).cy, 262);
    EXPECT_EQ(size96(IDP_HEADER).cy, 30);
    // A resource that is not there is reported, not crashed on.
    Picture missing;
    EXPECT_FALSE(DecodePicture(199, missing));
}

TEST(Pictures, EachDpiGetsTheSmallestSizeMadeForAtLeastIt) {
    EXPECT_EQ(PictureDpiFor(96), 96);
    EXPECT_EQ(PictureDpiFor(72), 96);
    EXPECT_EQ(PictureDpiFor(120), 144);
    EXPECT_EQ(PictureDpiFor(144), 144);
    EXPECT_EQ(PictureDpiFor(168), 192);
    EXPECT_EQ(PictureDpiFor(192), 192);
    EXPECT_EQ(PictureDpiFor(288), 192);
}

TEST(Pictures, TheProgramIconHoldsEverySizeWindowsAsksFor) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDI_NIVORA), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    ASSERT_NE(dir, nullptr);
    // GRPICONDIR: reserved, type, count; then 14-byte entries starting with width and height.
    WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + i * 14;
        int width = entry[0] == 0 ? 256 : entry[0];
        EXPECT_EQ(entry[1], entry[0]) << "square";
        sizes.insert(width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    for (int size : sizes) {
        HICON icon = static_cast<HICON>(
            ::LoadImageW(module, MAKEINTRESOURCEW(IDI_NIVORA), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        if (icon) ::DestroyIcon(icon);
    }
}

// The layout window as drawn on the screen: the frame, the gradient behind the transparent parts
// of the keyboard picture, and the picture itself.
TEST(Pictures, TheLayoutWindowShowsTheKeyboardOverItsGradient) {
    nvtest::LiveApplication live;
    auto& app = live.app;
    TFormKeyboardLayour layout;
    app.CreateForm(layout);
    layout.Show();
    nvtest::PumpPending();
    HWND window = nvtest::Hwnd(layout.Handle());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    nvtest::PumpPending();
    ASSERT_EQ(SystemDpi(), 96) << "the tests run at 96 dpi";

    HDC screen = ::GetDC(nullptr);
    auto at = [&](int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(window, &p);
        return ::GetPixel(screen, p.x, p.y);
    };
    EXPECT_EQ(at(0, 0), RGB(11, 75, 140)) << "the frame";
    EXPECT_EQ(at(1 + 480, 325 - 1), RGB(11, 75, 140)) << "the frame";
    // Near the top left corner the gradient starts at its dark colour.
    COLORREF dark = at(2, 2);
    EXPECT_NEAR(GetRValue(dark), 88, 3);
    EXPECT_NEAR(GetGValue(dark), 113, 3);
    EXPECT_NEAR(GetBValue(dark), 133, 3);
    // The keyboard's body between two rows of keys (picture 12, 38).
    EXPECT_EQ(at(1 + 12, 16 + 38), RGB(0xEE, 0xF3, 0xF9));
    // A transparent part of the picture (picture 300, 180) shows the gradient, lighter there
    // than at its start and never black.
    COLORREF behind = at(1 + 300, 16 + 180);
    EXPECT_GT(GetRValue(behind), GetRValue(dark));
    EXPECT_GT(GetBValue(behind), GetBValue(dark));
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace nv::win32
