// The flat look against live Wine controls: what the buttons, check boxes, group boxes and edits
// paint, read back pixel by pixel, follows the model, the enabled state, the keyboard cues and
// high contrast, and the native state that other programs read stays as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "res/resource.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/Application.h"
#include "widgets/win32/FlatDrawing.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"
#include "widgets/win32/Win32Backend.h"

namespace {

using nv::win32::kAccent;
using nvtest::Hwnd;
using nvtest::PumpPending;

// What a painting left in a 32-bit memory bitmap.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        ::FillRect(m_dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The client area of a window as it paints itself into another device context.
    static std::vector<COLORREF> Client(HWND window) {
        RECT r;
        ::GetClientRect(window, &r);
        Canvas canvas(r.right, r.bottom);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()),
                       PRF_CLIENT | PRF_ERASEBKGND);
        return canvas.Pixels();
    }

    HDC Dc() const { return m_dc; }
    RECT Rect() const { return {0, 0, m_width, m_height}; }
    COLORREF At(int x, int y) const {
        auto* p = static_cast<const BYTE*>(m_bits) + (y * m_width + x) * 4;
        return RGB(p[2], p[1], p[0]);
    }
    std::vector<COLORREF> Pixels() const {
        ::GdiFlush();
        std::vector<COLORREF> all;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) all.push_back(At(x, y));
        return all;
    }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    void* m_bits = nullptr;
};

int Count(const std::vector<COLORREF>& pixels, COLORREF color) {
    int n = 0;
    for (COLORREF p : pixels) n += p == color;
    return n;
}

int Differences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

class LookForm : public nv::TForm {
public:
    LookForm() : TForm("LookForm") {
        SetCaption(L"Look");
        SetClientSize(400, 240);
        box.SetCaption(L"&Option");
        box.SetBounds(10, 10, 120, 17);
        button.SetCaption(L"&Go");
        button.SetBounds(10, 34, 80, 25);
        edit.SetBounds(10, 66, 150, 21);
        first.SetCaption(L"First");
        first.SetBounds(170, 10, 60, 25);
        second.SetCaption(L"Second");
        second.SetBounds(234, 10, 60, 25);
        for (nv::TSpeedButton* b : {&first, &second}) b->groupIndex = 1;
        first.SetDown(true);
        group.SetCaption(L"Group");
        group.SetBounds(170, 60, 200, 100);
        spin.SetBounds(10, 100, 80, 21);
        spin.SetValue(5);
    }
    nv::TCheckBox box{this, "box"};
    nv::TButton button{this, "button"};
    nv::TEdit edit{this, "edit"};
    nv::TSpeedButton first{this, "first"};
    nv::TSpeedButton second{this, "second"};
    nv::TGroupBox group{this, "group"};
    nv::TSpinEdit spin{this, "spin"};
};

class FlatLook : public ::testing::Test, protected nvtest::LiveApplication {
protected:
    void SetUp() override {
        app.CreateForm(form);
        form.Show();
        PumpPending();
    }
    void TearDown() override { PumpPending(); }

    // Sets the form's keyboard cues as Alt or the mouse would.
    void SetCues(bool shown) {
        ::SendMessageW(Hwnd(form.Handle()), WM_UPDATEUISTATE,
                       MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    }

    LookForm form;
};

TEST_F(FlatLook, ASpeedButtonThatIsDownIsFilledWithTheAccentAndOneThatIsUpIsNot) {
    HWND first = Hwnd(form.first.Handle()), second = Hwnd(form.second.Handle());
    auto down = Canvas::Client(first), up = Canvas::Client(second);
    // The face, well inside the frame and clear of the caption.
    EXPECT_GT(Count(down, kAccent), static_cast<int>(down.size()) / 2);
    EXPECT_GT(Count(up, ::GetSysColor(COLOR_WINDOW)), static_cast<int>(up.size()) / 2);
    EXPECT_GT(Count(up, kAccent), 0);  // its frame
    EXPECT_LT(Count(up, kAccent), static_cast<int>(up.size()) / 4);

    // A click moves the fill, and the native check state that others read moves with it.
    ::SendMessageW(second, BM_CLICK, 0, 0);
    PumpPending();
    EXPECT_EQ(::SendMessageW(second, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_GT(Count(Canvas::Client(second), kAccent), static_cast<int>(down.size()) / 2);
    EXPECT_LT(Count(Canvas::Client(first), kAccent), static_cast<int>(up.size()) / 4);
    // Down from code too.
    form.first.SetDown(true);
    EXPECT_EQ(::SendMessageW(first, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_GT(Count(Canvas::Client(first), kAccent), static_cast<int>(down.size()) / 2);
}

TEST_F(FlatLook, TheCheckBoxDrawsItsMarkOnlyWhileTheModelIsChecked) {
    HWND box = Hwnd(form.box.Handle());
    form.box.SetCheckedSilently(false);
    int unchecked = Count(Canvas::Client(box), kAccent);
    int frame = 4 * (nv::win32::ScaleFor(nv::win32::SystemDpi(), 13) - 1);  // the box at the screen's dpi
    EXPECT_EQ(unchecked, frame);
    form.box.SetCheckedSilently(true);
    int checked = Count(Canvas::Client(box), kAccent);
    EXPECT_GT(checked, unchecked + nv::win32::ScaleFor(nv::win32::SystemDpi(), 13));
    // A click is the model's: the mark follows, and so does the native state.
    ::SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_FALSE(form.box.Checked());
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Count(Canvas::Client(box), kAccent), unchecked);
}

TEST_F(FlatLook, ADisabledButtonOrCheckBoxPaintsItsCaptionAndFrameGrey) {
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT), grey = ::GetSysColor(COLOR_GRAYTEXT);
    for (nv::TControl* control : {static_cast<nv::TControl*>(&form.button),
                                  static_cast<nv::TControl*>(&form.box)}) {
        HWND window = Hwnd(control->Handle());
        control->SetEnabled(true);
        auto enabled = Canvas::Client(window);
        EXPECT_GT(Count(enabled, text), 0) << control->Name();
        EXPECT_GT(Count(enabled, kAccent), 0) << control->Name();
        control->SetEnabled(false);
        auto disabled = Canvas::Client(window);
        EXPECT_EQ(Count(disabled, text), 0) << control->Name();
        EXPECT_EQ(Count(disabled, kAccent), 0) << control->Name();
        EXPECT_GT(Count(disabled, grey), Count(enabled, grey)) << control->Name();
        control->SetEnabled(true);
    }
}

TEST_F(FlatLook, TheFocusedControlShowsItsFocusRectangleWhileTheCuesAreShown) {
    // Wine keeps no keyboard-cue state (WM_QUERYUISTATE is always 0: all shown); Windows may
    // hide them until the keyboard is used.
    HWND button = Hwnd(form.button.Handle()), box = Hwnd(form.box.Handle());
    for (HWND window : {button, box}) {
        ::SetFocus(Hwnd(form.edit.Handle()));
        PumpPending();
        auto unfocused = Canvas::Client(window);
        ::SetFocus(window);
        PumpPending();
        auto focused = Canvas::Client(window);
        if (nv::win32::CuesOf(window).focus)
            EXPECT_GT(Differences(focused, unfocused), 20);
        else
            EXPECT_EQ(Differences(focused, unfocused), 0);
    }
}

TEST_F(FlatLook, FocusRectangleAndMnemonicUnderlineOnlyWithTheirCues) {
    using namespace nv::win32;
    const FlatColors colors = FlatColorsFor(false);
    auto paintButton = [&](bool focused, KeyboardCues cues) {
        FlatButtonLook look;
        look.caption = L"&Go";
        look.font = FontFor(96, false);
        look.focused = focused;
        look.cues = cues;
        Canvas canvas(80, 25);
        PaintFlatButton(canvas.Dc(), canvas.Rect(), look, colors);
        return canvas.Pixels();
    };
    auto paintBox = [&](bool focused, KeyboardCues cues) {
        FlatCheckLook look;
        look.caption = L"&Option";
        look.font = FontFor(96, false);
        look.background = ::GetSysColor(COLOR_BTNFACE);
        look.focused = focused;
        look.cues = cues;
        Canvas canvas(120, 17);
        PaintFlatCheckBox(canvas.Dc(), canvas.Rect(), look, colors);
        return canvas.Pixels();
    };
    for (auto paint : {std::function<std::vector<COLORREF>(bool, KeyboardCues)>(paintButton),
                       std::function<std::vector<COLORREF>(bool, KeyboardCues)>(paintBox)}) {
        auto plain = paint(false, {false, false});
        // Focused with the cues hidden: nothing shows it.
        EXPECT_EQ(Differences(paint(true, {false, false}), plain), 0);
        // The underline under the mnemonic: a short line, nothing else.
        int underline = Differences(paint(false, {false, true}), plain);
        EXPECT_GT(underline, 2);
        EXPECT_LT(underline, 20);
        // The dotted rectangle: longer.
        EXPECT_GT(Differences(paint(true, {true, false}), plain), 20);
    }
}

TEST_F(FlatLook, HighContrastPaintsWithSystemColoursOnly) {
    using namespace nv::win32;
    FlatButtonLook button;
    button.caption = L"&Windows";
    button.font = FontFor(96, false);
    button.cues = {true, true};
    FlatCheckLook box;
    box.caption = L"Hide Taskbar";
    box.font = FontFor(96, false);
    box.background = ::GetSysColor(COLOR_BTNFACE);
    box.checked = true;
    box.cues = {true, true};
    const FlatColors normal = FlatColorsFor(false);
    const std::vector<COLORREF> tints{kAccent, normal.hotFace, normal.pressedFace};
    for (bool contrast : {false, true}) {
        const FlatColors colors = FlatColorsFor(contrast);
        for (int state = 0; state < 4; ++state) {
            button.down = state == 1;
            button.hot = state == 2;
            button.pressed = state == 3;
            box.hot = state == 2;
            box.pressed = state == 3;
            button.focused = box.focused = state == 0;
            Canvas b(80, 25), c(120, 17);
            PaintFlatButton(b.Dc(), b.Rect(), button, colors);
            PaintFlatCheckBox(c.Dc(), c.Rect(), box, colors);
            int accentish = 0;
            for (COLORREF tint : tints) accentish += Count(b.Pixels(), tint) + Count(c.Pixels(), tint);
            if (contrast)
                EXPECT_EQ(accentish, 0) << state;
            else
                EXPECT_GT(accentish, 0) << state;
        }
    }
    // Down or pressed in high contrast: the highlight, with its own text colour.
    button.hot = button.focused = false;
    for (bool down : {true, false}) {
        button.down = down;
        button.pressed = !down;
        Canvas b(80, 25);
        PaintFlatButton(b.Dc(), b.Rect(), button, FlatColorsFor(true));
        EXPECT_EQ(b.At(5, 5), ::GetSysColor(COLOR_HIGHLIGHT)) << down;
        EXPECT_GT(Count(b.Pixels(), ::GetSysColor(COLOR_HIGHLIGHTTEXT)), 0) << down;
    }
}

// The Shortcuts picture is a white key drawn and marked with a flash in the accent: down, on the
// accent, its drawing must turn white and its white parts the accent, not become a white blot.
TEST_F(FlatLook, APictureOnADownButtonKeepsItsDrawingInTwoColours) {
    using namespace nv::win32;
    const Picture* picture = PictureFor(IDP_SHORTCUTS, 96);
    ASSERT_NE(picture, nullptr);
    DIBSECTION source{};
    ASSERT_EQ(::GetObjectW(picture->bitmap, sizeof(source), &source), (int)sizeof(source));
    int opaque = 0, dark = 0;
    auto* bits = static_cast<const BYTE*>(source.dsBm.bmBits);
    for (int i = 0; i < picture->width * picture->height; ++i) {
        const BYTE* p = bits + i * 4;
        if (p[3] != 255) continue;
        ++opaque;
        dark += p[0] + p[1] + p[2] < 3 * 128;
    }
    ASSERT_GT(dark, 0);
    ASSERT_GT(opaque, dark * 2);

    SIZE size = PictureSize(*picture, 96);
    Canvas canvas(size.cx, size.cy);
    RECT all = canvas.Rect();
    ::FillRect(canvas.Dc(), &all, SolidBrush(kAccent));
    DrawDuotone(canvas.Dc(), *picture, 0, 0, 96, RGB(255, 255, 255), kAccent);
    int white = Count(canvas.Pixels(), RGB(255, 255, 255));
    EXPECT_GT(white, dark / 2);
    EXPECT_LT(white, dark * 3 / 2);
}

TEST_F(FlatLook, GroupBoxAndEditHaveAFlatAccentFrame) {
    auto group = Canvas::Client(Hwnd(form.group.Handle()));
    RECT r;
    ::GetClientRect(Hwnd(form.group.Handle()), &r);
    EXPECT_EQ(group[(r.bottom - 1) * r.right + r.right / 2], kAccent);  // the bottom edge
    EXPECT_EQ(group[(r.bottom / 2) * r.right], kAccent);                // the left edge

    // The edit's frame as it is on screen, painted over its client edge: the frame, then a
    // pixel of its face (white, or the grey of the form when it cannot be typed in).
    HWND edit = Hwnd(form.edit.Handle());
    auto edge = [&](COLORREF frame, COLORREF face) {
        ::RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = ::GetWindowDC(edit);
        EXPECT_EQ(::GetPixel(dc, 0, 0), frame);
        EXPECT_EQ(::GetPixel(dc, 0, 8), frame);
        EXPECT_EQ(::GetPixel(dc, 1, 8), face);
        EXPECT_EQ(::GetPixel(dc, 8, 1), face);
        ::ReleaseDC(edit, dc);
    };
    const COLORREF window = ::GetSysColor(COLOR_WINDOW), grey = ::GetSysColor(COLOR_BTNFACE);
    edge(kAccent, window);
    form.edit.SetReadOnly(true);
    edge(kAccent, grey);
    form.edit.SetReadOnly(false);
    form.edit.SetEnabled(false);
    edge(::GetSysColor(COLOR_GRAYTEXT), grey);
    form.edit.SetEnabled(true);
    edge(kAccent, window);

    // The spin edit's arrows: flat as well, grey while the spin edit is disabled.
    HWND spin = Hwnd(form.spin.Handle()), arrows = nullptr;
    for (HWND w = ::GetWindow(spin, GW_HWNDFIRST); w; w = ::GetWindow(w, GW_HWNDNEXT))
        if (reinterpret_cast<HWND>(::SendMessageW(w, UDM_GETBUDDY, 0, 0)) == spin &&
            w != spin)
            arrows = w;
    ASSERT_NE(arrows, nullptr);
    auto enabled = Canvas::Client(arrows);
    EXPECT_GT(Count(enabled, kAccent), 10);
    EXPECT_GT(Count(enabled, window), 10);
    form.spin.SetEnabled(false);
    auto disabled = Canvas::Client(arrows);
    EXPECT_EQ(Count(disabled, kAccent), 0);
    EXPECT_GT(Count(disabled, ::GetSysColor(COLOR_GRAYTEXT)), 10);
}

}  // namespace
