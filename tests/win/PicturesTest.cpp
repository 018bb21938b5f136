// The pictures as built into the executable: every picture is present at each of its three
// sizes (96, 144 and 192 dpi), decodes to premultiplied pixels of the size its dpi asks for, and
// the program icon holds every size Windows asks for.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "shell/Globals.h"
#include "ui/FormKeyboardLayour.h"
#include "ui/MainForm.h"
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

// Every picture a window shows, at 96 dpi, fits the place the window gives it, so nothing of it
// is cut off; and none of the program's places asks for a picture that is not there.
TEST(Pictures, EveryPictureFitsThePlaceItIsShownIn) {
    nvtest::LiveApplication live;
    TGlobals globals{live.platform};
    TMainForm form{live.platform, live.app, globals};
    TFormKeyboardLayour layout;
    live.app.CreateForm(form);
    live.app.CreateForm(layout);
    int seen = 0;
    std::function<void(TControl&)> walk = [&](TControl& control) {
        if (auto* image = dynamic_cast<TImage*>(&control); image && image->resourceId != 0) {
            SCOPED_TRACE(image->Name());
            ++seen;
            Picture picture;
            ASSERT_TRUE(DecodePicture(image->resourceId, picture));
            // A picture that fills its parent is a background drawn from the left edge, ending
            // in the parent's colour (the header's banner): only its height must fit.
            if (image->GetAlign() != Align::Client) {
                EXPECT_LE(picture.width, image->Width());
            }
            EXPECT_LE(picture.height, image->Height());
            ::DeleteObject(picture.bitmap);
        }
        for (TControl* child : control.Children()) walk(*child);
    };
    walk(form);
    walk(layout);
    EXPECT_GE(seen, 5) << "the header, the arrows, the page pictures, the logo, the keyboard";
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

// What the screen shows in a window's client area, a COLORREF per pixel, row by row.
std::vector<COLORREF> ScreenPixels(HWND window, int width, int height) {
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    ::GdiFlush();
    std::vector<COLORREF> pixels;
    for (int i = 0; i < width * height; ++i) {
        const BYTE* p = static_cast<const BYTE*>(bits) + i * 4;
        pixels.push_back(RGB(p[2], p[1], p[0]));
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The layout window as drawn on the screen: the keyboard picture as it is, the window's gradient
// behind its transparent parts, and a frame around it all.
TEST(Pictures, TheLayoutWindowShowsTheKeyboardOverItsGradientInAFrame) {
    nvtest::LiveApplication live;
    TFormKeyboardLayour layout;
    live.app.CreateForm(layout);
    layout.Show();
    nvtest::PumpPending();
    HWND window = nvtest::Hwnd(layout.Handle());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    nvtest::PumpPending();
    ASSERT_EQ(SystemDpi(), 96) << "the tests run at 96 dpi";

    Picture keyboard;
    ASSERT_TRUE(DecodePicture(layout.imgKeyboard.resourceId, keyboard));
    DIBSECTION dib{};
    ASSERT_EQ(::GetObjectW(keyboard.bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    const auto* picture = static_cast<const BYTE*>(dib.dsBm.bmBits);
    HWND place = nvtest::Hwnd(layout.imgKeyboard.Handle());
    RECT client{};
    ::GetClientRect(place, &client);
    ASSERT_GE(client.right, keyboard.width);
    ASSERT_GE(client.bottom, keyboard.height);
    const std::vector<COLORREF> shown = ScreenPixels(place, keyboard.width, keyboard.height);

    // Where the picture is opaque the screen shows it; where it is transparent, what lies
    // behind: a gradient of many shades, never black.
    int opaque = 0, same = 0;
    std::set<COLORREF> behind;
    bool black = false;
    for (int i = 0; i < keyboard.width * keyboard.height; ++i) {
        // Premultiplied B, G, R, A, in rows from the top, as the program makes them.
        const BYTE* p = picture + i * 4;
        const int row = i / keyboard.width;
        COLORREF on = shown[static_cast<size_t>(row * keyboard.width + i % keyboard.width)];
        if (p[3] == 255) {
            ++opaque;
            same += on == RGB(p[2], p[1], p[0]);
        } else if (p[3] == 0) {
            behind.insert(on);
            black = black || on == RGB(0, 0, 0);
        }
    }
    ::DeleteObject(keyboard.bitmap);
    ASSERT_GT(opaque, 0);
    EXPECT_GE(same, opaque * 95 / 100) << same << " of " << opaque << " opaque pixels shown";
    EXPECT_GE(behind.size(), 10u) << "a gradient behind the keyboard";
    EXPECT_FALSE(black);

    // The window's edge is one colour all round, not the gradient's next to it.
    const int width = layout.Width(), height = layout.Height();
    const std::vector<COLORREF> whole = ScreenPixels(window, width, height);
    auto at = [&](int x, int y) { return whole[static_cast<size_t>(y * width + x)]; };
    const COLORREF frame = at(0, 0);
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(at(x, 0), frame) << x;
        EXPECT_EQ(at(x, height - 1), frame) << x;
    }
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(at(0, y), frame) << y;
        EXPECT_EQ(at(width - 1, y), frame) << y;
    }
    EXPECT_NE(at(2, 2), frame);
}

}  // namespace
}  // namespace nv::win32
