// A form that moves to a monitor of another dpi (WM_DPICHANGED, which Wine never sends by itself)
// lays itself out anew: sizes, fonts, list columns and pictures follow the new dpi, and coming
// back restores the first layout. Bold text stays bold where the bold face draws like the
// regular one. In high contrast the program's own colours give way to the user's scheme.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/Application.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Win32Backend.h"
#include "../../res/resource.h"

namespace {

using nvtest::Hwnd;
using nvtest::PumpPending;

class DpiForm : public nv::TForm {
public:
    DpiForm() : TForm("DpiForm") {
        SetCaption(L"Dpi");
        SetClientSize(400, 300);
        minWidth = 300;
        minHeight = 200;
        button.SetCaption(L"General");
        button.imageId = IDP_GENERAL;
        button.SetBounds(10, 10, 65, 49);
        list.SetBounds(100, 10, 200, 100);
        list.columns = {{L"Name", 100}, {L"Title", 80}};
        bottom.SetBounds(0, 0, 10, 40);
        bottom.SetAlign(nv::Align::Bottom);
        label.SetCaption(L"Version 5.9");
        label.bold = true;
        label.SetBounds(10, 10, 100, 16);
        regular.SetCaption(L"Version 5.9");
        regular.SetBounds(150, 10, 100, 16);
    }
    nv::TButton button{this, "button"};
    nv::TListView list{this, "list"};
    nv::TPanel bottom{this, "bottom"};
    nv::TLabel label{&bottom, "label"};
    nv::TLabel regular{&bottom, "regular"};
};

class Dpi : public ::testing::Test, protected nvtest::LiveApplication {
protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        PumpPending();
        ASSERT_EQ(nv::win32::SystemDpi(), 96) << "the tests run at 96 dpi";
    }

    // What Windows sends when the window reaches a monitor of another dpi: the dpi and a
    // window rectangle whose client area is scaled from the present one.
    void MoveToDpi(int dpi) {
        HWND window = Hwnd(form.Handle());
        RECT r, client;
        ::GetWindowRect(window, &r);
        ::GetClientRect(window, &client);
        int from = nv::win32::DpiOf(window);
        // Wine draws the frame the same at any dpi.
        int frameX = (r.right - r.left) - client.right, frameY = (r.bottom - r.top) - client.bottom;
        RECT suggested{r.left, r.top, r.left + ::MulDiv(client.right, dpi, from) + frameX,
                       r.top + ::MulDiv(client.bottom, dpi, from) + frameY};
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        PumpPending();
    }

    static RECT ChildRect(nv::TControl& control) {
        HWND child = Hwnd(control.Handle());
        RECT r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    static LONG FontHeight(nv::TControl& control) {
        auto font = reinterpret_cast<HFONT>(::SendMessageW(Hwnd(control.Handle()), WM_GETFONT, 0, 0));
        LOGFONTW lf{};
        ::GetObjectW(font, sizeof(lf), &lf);
        return lf.lfHeight;
    }
    DpiForm form;
};

TEST_F(Dpi, AFormMovedToA144DpiMonitorScalesEverythingAndComesBackWhole) {
    HWND window = Hwnd(form.Handle());
    RECT client;
    ::GetClientRect(window, &client);
    const RECT button96 = ChildRect(form.button), list96 = ChildRect(form.list),
               bottom96 = ChildRect(form.bottom);
    EXPECT_EQ(FontHeight(form.button), -11);

    MoveToDpi(144);
    EXPECT_EQ(nv::win32::DpiOf(window), 144);
    EXPECT_EQ(nv::win32::DpiOf(Hwnd(form.label.Handle())), 144);
    RECT client144;
    ::GetClientRect(window, &client144);
    EXPECT_NEAR(client144.right, client.right * 3 / 2, 2);
    EXPECT_NEAR(client144.bottom, client.bottom * 3 / 2, 2);
    RECT button = ChildRect(form.button), list = ChildRect(form.list), bottom = ChildRect(form.bottom);
    EXPECT_EQ(button.left, 15);
    EXPECT_EQ(button.right - button.left, 98);  // 65 * 1.5, rounded up
    EXPECT_EQ(button.bottom - button.top, 74);
    EXPECT_EQ(list.left, 150);
    EXPECT_EQ(list.right - list.left, 300);
    // A control aligned to the bottom still ends at the client area's bottom edge.
    EXPECT_EQ(bottom.bottom, client144.bottom);
    EXPECT_EQ(bottom.bottom - bottom.top, 60);
    EXPECT_EQ(FontHeight(form.button), -16);
    EXPECT_EQ(FontHeight(form.list), -16);
    EXPECT_EQ(ListView_GetColumnWidth(Hwnd(form.list.Handle()), 0), 150);
    EXPECT_EQ(ListView_GetColumnWidth(Hwnd(form.list.Handle()), 1), 120);
    // The minimum size follows the dpi too.
    MINMAXINFO info{};
    ::SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 450);
    EXPECT_EQ(info.ptMinTrackSize.y, 300);

    MoveToDpi(96);
    RECT back;
    ::GetClientRect(window, &back);
    EXPECT_NEAR(back.right, client.right, 1);
    EXPECT_NEAR(back.bottom, client.bottom, 1);
    button = ChildRect(form.button);
    list = ChildRect(form.list);
    EXPECT_TRUE(::EqualRect(&button, &button96));
    EXPECT_TRUE(::EqualRect(&list, &list96));
    bottom = ChildRect(form.bottom);
    EXPECT_EQ(bottom.bottom - bottom.top, bottom96.bottom - bottom96.top);
    EXPECT_EQ(FontHeight(form.button), -11);
}

// How much ink a text leaves when drawn with DrawUiText.
long InkOf(const wchar_t* text, HFONT font) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 300, 60);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT r{0, 0, 300, 60};
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkMode(dc, TRANSPARENT);
    nv::win32::DrawUiText(dc, text, r, font, DT_SINGLELINE | DT_NOPREFIX);
    long ink = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 300; ++x) ink += 255 - GetRValue(::GetPixel(dc, x, y));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return ink;
}

TEST(DpiText, BoldTextIsBolderThanRegularAtEveryDpi) {
    using nv::win32::FontFor;
    for (int dpi : {96, 120, 144, 192}) {
        long regular = InkOf(L"Version 5.9", FontFor(dpi, false));
        long bold = InkOf(L"Version 5.9", FontFor(dpi, true));
        EXPECT_GT(bold, regular + regular / 10) << dpi << " dpi";
        // Measuring leaves room for what is drawn.
        HDC screen = ::GetDC(nullptr);
        RECT measure{0, 0, 1000, 100};
        nv::win32::DrawUiText(screen, L"Version 5.9", measure, FontFor(dpi, true),
                              DT_SINGLELINE | DT_CALCRECT);
        ::ReleaseDC(nullptr, screen);
        EXPECT_GT(measure.right, 0);
    }
}

}  // namespace

namespace {
// The ink of a control as painted on the screen (black text on the window colour).
long InkOnScreen(nv::TControl& control) {
    HWND window = Hwnd(control.Handle());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT r;
    ::GetWindowRect(window, &r);
    HDC screen = ::GetDC(nullptr);
    long ink = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) ink += 255 - GetRValue(::GetPixel(screen, x, y));
    ::ReleaseDC(nullptr, screen);
    return ink;
}
}  // namespace

TEST_F(Dpi, ABoldLabelPaintsBolderThanARegularOneAtEachDpi) {
    for (int dpi : {96, 144, 96}) {
        MoveToDpi(dpi);
        long boldInk = InkOnScreen(form.label), regularInk = InkOnScreen(form.regular);
        EXPECT_GT(boldInk, regularInk + regularInk / 10) << dpi << " dpi";
    }
}

namespace {
// High-contrast mode for one test (Wine cannot turn the real one on), off again after it.
struct HighContrastOn {
    HighContrastOn() { nv::win32::ForceHighContrast(1); }
    ~HighContrastOn() { nv::win32::ForceHighContrast(-1); }
};

class ContrastForm : public nv::TForm {
public:
    ContrastForm() : TForm("ContrastForm") {
        SetClientSize(300, 200);
        heading.SetCaption(L"Do not hide list");
        heading.SetBounds(0, 0, 300, 20);
        note.SetCaption(L"Ctrl + F12");
        note.textColor = 0x00FFFFFF;
        note.background = 0x008C4B0B;  // the accent colour
        note.SetBounds(10, 40, 200, 30);
        frame.color = 0x00857158;
        frame.gradient = true;
        frame.frameColor = 0x008C4B0B;
        frame.SetBounds(10, 100, 200, 80);
    }
    nv::TGradientHeading heading{this, "heading"};
    nv::TLabel note{this, "note"};
    nv::TPanel frame{this, "frame"};
};

COLORREF PixelOf(nv::TControl& control, int x, int y) {
    HWND window = Hwnd(control.Handle());
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    HDC screen = ::GetDC(nullptr);
    COLORREF color = ::GetPixel(screen, p.x, p.y);
    ::ReleaseDC(nullptr, screen);
    return color;
}
}  // namespace

TEST(HighContrast, HeadingsLabelsAndGradientsTakeTheSchemesColours) {
    nvtest::LiveApplication live;
    auto& app = live.app;
    ContrastForm form;
    app.CreateForm(form);
    form.Show();
    PumpPending();
    EXPECT_EQ(PixelOf(form.note, 2, 2), RGB(11, 75, 140)) << "the accent, normally";
    EXPECT_NE(PixelOf(form.frame, 5, 5), ::GetSysColor(COLOR_BTNFACE)) << "the gradient";

    HighContrastOn contrast;
    ::SendMessageW(Hwnd(form.Handle()), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    PumpPending();
    EXPECT_EQ(PixelOf(form.heading, 2, 2), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelOf(form.note, 2, 2), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PixelOf(form.frame, 5, 5), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(PixelOf(form.frame, 0, 0), ::GetSysColor(COLOR_WINDOWTEXT)) << "the frame";
}
