// Peers drawn by the program itself on its container window class: panels, pages, group boxes,
// gradient headings, labels, pictures and the splitter.
#include "widgets/win32/FlatDrawing.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"

#include <uxtheme.h>
#include <windowsx.h>

namespace nv::win32 {

namespace {

constexpr COLORREF kHeadingLight = RGB(140, 180, 220);

void DrawTextIn(HDC dc, const std::wstring& text, RECT& r, HFONT font, COLORREF color, UINT flags) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    DrawUiText(dc, text, r, font, flags);
}

// A gradient running from the top left corner (from) to the bottom right one (the window
// colour): two triangles whose other corners take the colour halfway.
bool PaintDiagonalGradient(HDC dc, const RECT& r, COLORREF from) {
    COLORREF to = ::GetSysColor(COLOR_BTNFACE);
    auto vertex = [](LONG x, LONG y, int red, int green, int blue) {
        TRIVERTEX v{};
        v.x = x;
        v.y = y;
        v.Red = static_cast<COLOR16>(red << 8);
        v.Green = static_cast<COLOR16>(green << 8);
        v.Blue = static_cast<COLOR16>(blue << 8);
        return v;
    };
    int mr = (GetRValue(from) + GetRValue(to)) / 2, mg = (GetGValue(from) + GetGValue(to)) / 2,
        mb = (GetBValue(from) + GetBValue(to)) / 2;
    TRIVERTEX v[4] = {vertex(r.left, r.top, GetRValue(from), GetGValue(from), GetBValue(from)),
                      vertex(r.right, r.top, mr, mg, mb),
                      vertex(r.right, r.bottom, GetRValue(to), GetGValue(to), GetBValue(to)),
                      vertex(r.left, r.bottom, mr, mg, mb)};
    GRADIENT_TRIANGLE triangles[2] = {{0, 1, 2}, {0, 2, 3}};
    return ::GdiGradientFill(dc, v, 4, triangles, 2, GRADIENT_FILL_TRIANGLE) != FALSE;
}

// Panels, tab sheets and page controls: a plain area in the panel's colour.
class PanelPeer : public Win32Peer {
public:
    using Win32Peer::Win32Peer;
    void Create(HWND parent) override {
        CreateContainer(parent, CommonStyle() | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    }
    COLORREF Background() const override {
        auto* panel = dynamic_cast<TPanel*>(&m_model);
        if (panel && !HighContrast()) return ModelColor(panel->color, ParentBackground());
        return ParentBackground();
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        auto* panel = dynamic_cast<TPanel*>(&m_model);
        if (!panel || !panel->gradient || HighContrast() ||
            !PaintDiagonalGradient(dc, client, Background()))
            ::FillRect(dc, &client, SolidBrush(Background()));
        if (panel && panel->frameColor != 0xFFFFFFFF)
            ::FrameRect(dc, &client,
                        SolidBrush(HighContrast() ? AccentColor()
                                                  : static_cast<COLORREF>(panel->frameColor)));
        if (panel && panel->bevel) {
            RECT r = client;
            ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        }
    }
};

// A group box: a 1-px accent frame with the caption in its top edge. Its children are children of
// this window, placed below the caption as the model's client rectangle says.
class GroupBoxPeer final : public Win32Peer {
public:
    using Win32Peer::Win32Peer;
    void Create(HWND parent) override {
        CreateContainer(parent, CommonStyle() | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        ::FillRect(dc, &client, SolidBrush(Background()));
        HFONT font = UiFont(m_model.bold);
        HGDIOBJ old = ::SelectObject(dc, font);
        TEXTMETRICW tm;
        ::GetTextMetricsW(dc, &tm);
        ::SelectObject(dc, old);
        RECT frame = client;
        frame.top += tm.tmHeight / 2;
        FrameBox(dc, frame, m_model.Enabled() ? AccentColor() : ::GetSysColor(COLOR_GRAYTEXT));
        const std::wstring& caption = m_model.Caption();
        if (caption.empty()) return;
        RECT text{Scale(8), 0, client.right - Scale(8), tm.tmHeight};
        DrawTextIn(dc, caption, text, font, ::GetSysColor(COLOR_BTNTEXT),
                   DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        RECT back{text.left - 2, text.top, text.right + 2, text.bottom};
        ::FillRect(dc, &back, SolidBrush(Background()));
        DrawTextIn(dc, caption, text, font,
                   ::GetSysColor(m_model.Enabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT),
                   DT_SINGLELINE | DT_NOPREFIX);
    }
};

// A heading: a horizontal gradient from the accent colour to a lighter tone, white bold caption.
class HeadingPeer final : public Win32Peer {
public:
    using Win32Peer::Win32Peer;
    void Create(HWND parent) override {
        CreateContainer(parent, CommonStyle() | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    }
    // Pictures docked in the heading sit at its light end.
    COLORREF Background() const override {
        return HighContrast() ? ::GetSysColor(COLOR_HIGHLIGHT) : kHeadingLight;
    }

private:
    // Room taken by a picture docked at the heading's right end.
    int TrailingChildWidth() const {
        int width = 0;
        for (TControl* c : m_model.Children())
            if (c->Visible() && c->GetAlign() == Align::Right) width += c->Width();
        return width;
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        const COLORREF light = kHeadingLight;
        TRIVERTEX v[2] = {};
        v[0].x = client.left;
        v[0].y = client.top;
        v[0].Red = GetRValue(kAccent) << 8;
        v[0].Green = GetGValue(kAccent) << 8;
        v[0].Blue = GetBValue(kAccent) << 8;
        v[1].x = client.right;
        v[1].y = client.bottom;
        v[1].Red = GetRValue(light) << 8;
        v[1].Green = GetGValue(light) << 8;
        v[1].Blue = GetBValue(light) << 8;
        GRADIENT_RECT g{0, 1};
        // High contrast: the selection colours of the user's scheme, no gradient.
        bool contrast = HighContrast();
        if (contrast || !::GdiGradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_H))
            ::FillRect(dc, &client, SolidBrush(contrast ? Background() : kAccent));
        RECT text = client;
        text.left += Scale(6);
        // Bold when the caption fits, regular weight before cutting it short.
        HFONT font = UiFont(true);
        RECT measure = text;
        DrawUiText(dc, m_model.Caption(), measure, font, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        if (measure.right > text.right - Scale(TrailingChildWidth())) font = UiFont(false);
        DrawTextIn(dc, m_model.Caption(), text, font,
                   contrast ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(255, 255, 255),
                   DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
};

// A label: text in its colours; a link label is underlined, shows the hand and is clicked.
class LabelPeer final : public Win32Peer {
public:
    explicit LabelPeer(TLabel& label) : Win32Peer(label), m_label(label) {}
    void Create(HWND parent) override { CreateContainer(parent, CommonStyle(), 0); }
    COLORREF Background() const override {
        return HighContrast() ? ParentBackground()
                              : ModelColor(m_label.background, ParentBackground());
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_SETCURSOR:
                if (m_label.link) {
                    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                    return TRUE;
                }
                break;
            case WM_LBUTTONUP:
                Dispatch([&] { m_label.Click(); });
                return 0;
            default:
                break;
        }
        return Win32Peer::WndProc(msg, wParam, lParam);
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        // A label without a colour of its own shows what its parent paints (a gradient too).
        if (m_label.background != 0xFFFFFFFF || FAILED(::DrawThemeParentBackground(m_hwnd, dc, nullptr)))
            ::FillRect(dc, &client, SolidBrush(Background()));
        // High contrast: the scheme's text colour on what lies behind, never the label's own.
        COLORREF color = !m_label.Enabled() ? ::GetSysColor(COLOR_GRAYTEXT)
                         : HighContrast()   ? ::GetSysColor(COLOR_BTNTEXT)
                                            : ModelColor(m_label.textColor,
                                                         ::GetSysColor(COLOR_BTNTEXT));
        HFONT font = UiFont(m_label.bold, m_label.link);
        RECT r = client;
        if (m_label.background != 0xFFFFFFFF) ::InflateRect(&r, -Scale(2), 0);
        UINT flags = DT_WORDBREAK | DT_NOPREFIX | (m_label.centered ? DT_CENTER : DT_LEFT);
        if (m_label.centered) {
            // Centre the wrapped text vertically as well.
            RECT measure = r;
            DrawUiText(dc, m_label.Caption(), measure, font, flags | DT_CALCRECT);
            int spare = (r.bottom - r.top) - (measure.bottom - measure.top);
            if (spare > 0) r.top += spare / 2;
        } else if (m_label.background != 0xFFFFFFFF) {
            flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
        }
        DrawTextIn(dc, m_label.Caption(), r, font, color, flags);
    }

private:
    TLabel& m_label;
};

// A picture from the program's resources, at the size made for the screen's dpi, drawn with
// its alpha channel over the parent's colour: centred, or from the left edge when it is wider
// than the control (the header banner, which ends in the header's colour).
class ImagePeer final : public Win32Peer {
public:
    explicit ImagePeer(TImage& image) : Win32Peer(image), m_image(image) {}
    void Create(HWND parent) override {
        CreateContainer(parent, CommonStyle() | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    }

protected:
    void Paint(HDC dc, const RECT& client) override {
        // What lies behind the picture: its parent's painting, a gradient included.
        if (FAILED(::DrawThemeParentBackground(m_hwnd, dc, nullptr)))
            ::FillRect(dc, &client, SolidBrush(Background()));
        // A picture that fills its parent is a background (the header's banner): high contrast
        // shows the scheme's plain colour there, so the texts over it stay readable.
        if (HighContrast() && m_image.GetAlign() == Align::Client) return;
        const Picture* picture = PictureFor(m_image.resourceId, Dpi());
        if (!picture) return;
        SIZE size = PictureSize(*picture, Dpi());
        int spareX = client.right - size.cx, spareY = client.bottom - size.cy;
        DrawPicture(dc, *picture, spareX > 0 ? spareX / 2 : 0, spareY > 0 ? spareY / 2 : 0,
                    Dpi());
    }

private:
    TImage& m_image;
};

// The splitter: dragging it moves the neighbouring panel's edge within the minimum sizes.
class SplitterPeer final : public Win32Peer {
public:
    explicit SplitterPeer(TSplitter& splitter) : Win32Peer(splitter), m_splitter(splitter) {}
    void Create(HWND parent) override { CreateContainer(parent, CommonStyle(), 0); }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        bool horizontal =
            m_splitter.GetAlign() == Align::Left || m_splitter.GetAlign() == Align::Right;
        switch (msg) {
            case WM_SETCURSOR:
                ::SetCursor(::LoadCursorW(nullptr, horizontal ? IDC_SIZEWE : IDC_SIZENS));
                return TRUE;
            case WM_LBUTTONDOWN:
                ::SetCapture(m_hwnd);
                m_dragging = true;
                m_last = ScreenPos(lParam, horizontal);
                return 0;
            case WM_MOUSEMOVE:
                if (m_dragging) {
                    int pos = ScreenPos(lParam, horizontal);
                    int delta = Unscale(pos - m_last);
                    int applied = 0;
                    if (delta != 0) Dispatch([&] { applied = m_splitter.MoveBy(delta); });
                    m_last += Scale(applied);
                }
                return 0;
            case WM_LBUTTONUP:
                if (m_dragging) ::ReleaseCapture();
                return 0;
            case WM_CAPTURECHANGED:
                m_dragging = false;
                return 0;
            default:
                break;
        }
        return Win32Peer::WndProc(msg, wParam, lParam);
    }

private:
    int ScreenPos(LPARAM lParam, bool horizontal) const {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(m_hwnd, &p);
        return horizontal ? p.x : p.y;
    }

    TSplitter& m_splitter;
    bool m_dragging = false;
    int m_last = 0;
};

}  // namespace

std::unique_ptr<Win32Peer> MakePanelPeer(TControl& control) {
    return std::make_unique<PanelPeer>(control);
}
std::unique_ptr<Win32Peer> MakeGroupBoxPeer(TGroupBox& group) {
    return std::make_unique<GroupBoxPeer>(group);
}
std::unique_ptr<Win32Peer> MakeHeadingPeer(TGradientHeading& heading) {
    return std::make_unique<HeadingPeer>(heading);
}
std::unique_ptr<Win32Peer> MakeLabelPeer(TLabel& label) {
    return std::make_unique<LabelPeer>(label);
}
std::unique_ptr<Win32Peer> MakeImagePeer(TImage& image) {
    return std::make_unique<ImagePeer>(image);
}
std::unique_ptr<Win32Peer> MakeSplitterPeer(TSplitter& splitter) {
    return std::make_unique<SplitterPeer>(splitter);
}

}  // namespace nv::win32
