#include "widgets/win32/FlatDrawing.h"

#include <algorithm>
#include <map>
#include <utility>

#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"

namespace nv::win32 {

namespace {

// share parts of a, the rest of b.
COLORREF Mix(COLORREF a, COLORREF b, int share, int of) {
    auto part = [&](int x, int y) { return (x * share + y * (of - share)) / of; };
    return RGB(part(GetRValue(a), GetRValue(b)), part(GetGValue(a), GetGValue(b)),
               part(GetBValue(a), GetBValue(b)));
}

// "&Save && exit" as it reads: "Save & exit".
std::wstring WithoutPrefix(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// Model pixels (96 dpi) at the control's dpi.
int Px(int dpi, int value) { return ::MulDiv(value, dpi, 96); }

void Fill(HDC dc, const RECT& r, COLORREF color) { ::FillRect(dc, &r, SolidBrush(color)); }

}  // namespace

FlatColors FlatColorsFor(bool highContrast) {
    FlatColors c{};
    if (highContrast) {
        c.face = c.hotFace = c.disabledFace = ::GetSysColor(COLOR_BTNFACE);
        c.pressedFace = c.downFace = c.hotFrame = ::GetSysColor(COLOR_HIGHLIGHT);
        c.downText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        c.text = ::GetSysColor(COLOR_BTNTEXT);
        c.frame = ::GetSysColor(COLOR_WINDOWTEXT);
        c.disabled = ::GetSysColor(COLOR_GRAYTEXT);
        c.systemColors = true;
        return c;
    }
    COLORREF window = ::GetSysColor(COLOR_WINDOW);
    c.face = window;
    c.hotFace = Mix(kAccent, window, 1, 8);
    c.pressedFace = Mix(kAccent, window, 1, 4);
    c.downFace = kAccent;
    c.downText = RGB(255, 255, 255);
    c.text = ::GetSysColor(COLOR_BTNTEXT);
    c.frame = c.hotFrame = kAccent;
    c.disabled = ::GetSysColor(COLOR_GRAYTEXT);
    c.disabledFace = ::GetSysColor(COLOR_BTNFACE);
    return c;
}

FlatColors CurrentFlatColors() { return FlatColorsFor(HighContrast()); }

KeyboardCues CuesOf(HWND window) {
    auto state = static_cast<DWORD>(::SendMessageW(window, WM_QUERYUISTATE, 0, 0));
    return {(state & UISF_HIDEFOCUS) == 0, (state & UISF_HIDEACCEL) == 0};
}

void FrameBox(HDC dc, const RECT& r, COLORREF color, int width) {
    RECT frame = r;
    for (int i = 0; i < width && frame.right > frame.left && frame.bottom > frame.top; ++i) {
        ::FrameRect(dc, &frame, SolidBrush(color));
        ::InflateRect(&frame, -1, -1);
    }
}

void FlatClientEdge(HWND window, COLORREF frame, COLORREF face) {
    HDC dc = ::GetWindowDC(window);
    if (!dc) return;
    RECT r;
    ::GetWindowRect(window, &r);
    ::OffsetRect(&r, -r.left, -r.top);
    FrameBox(dc, r, frame);
    ::InflateRect(&r, -1, -1);
    FrameBox(dc, r, face);
    ::ReleaseDC(window, dc);
}

void DrawFocusFrame(HDC dc, const RECT& r, COLORREF color) {
    if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
    for (int x = r.left; x < r.right; x += 2) {
        ::SetPixelV(dc, x, r.top, color);
        ::SetPixelV(dc, x, r.bottom - 1, color);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        ::SetPixelV(dc, r.left, y, color);
        ::SetPixelV(dc, r.right - 1, y, color);
    }
}

RECT DrawFlatText(HDC dc, const std::wstring& shown, const RECT& r, HFONT font, COLORREF color,
                  UINT flags, bool accelerators) {
    // Without the underline the text goes out without its prefix characters, as DT_HIDEPREFIX
    // would draw it (which Wine ignores).
    std::wstring text = accelerators ? shown : WithoutPrefix(shown);
    flags |= DT_WORDBREAK | (accelerators ? 0u : DT_NOPREFIX);
    RECT measure = r;
    DrawUiText(dc, text, measure, font, flags | DT_CALCRECT);
    int height = measure.bottom - measure.top, width = measure.right - measure.left;
    RECT place = r;
    int spare = (r.bottom - r.top) - height;
    if (spare > 0) place.top += spare / 2;
    place.bottom = place.top + height;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    DrawUiText(dc, text, place, font, flags);
    // Where the text lies, for its focus rectangle.
    if (flags & DT_CENTER) {
        place.left = r.left + ((r.right - r.left) - width) / 2;
    }
    place.right = place.left + width;
    return place;
}

void DrawCheckMark(HDC dc, const RECT& box, COLORREF color, int width) {
    int w = box.right - box.left, h = box.bottom - box.top;
    POINT points[3] = {{box.left + w * 22 / 100, box.top + h * 50 / 100},
                       {box.left + w * 42 / 100, box.top + h * 70 / 100},
                       {box.left + w * 78 / 100, box.top + h * 28 / 100}};
    LOGBRUSH brush{BS_SOLID, color, 0};
    HPEN pen = ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_MITER,
                              static_cast<DWORD>(width), &brush, 0, nullptr);
    HGDIOBJ old = ::SelectObject(dc, pen);
    ::Polyline(dc, points, 3);
    ::SelectObject(dc, old);
    ::DeleteObject(pen);
}

void DrawDuotone(HDC dc, const Picture& picture, int x, int y, int dpi, COLORREF ink,
                 COLORREF paper) {
    // One bitmap per picture and pair of colours, made once.
    static std::map<std::pair<HBITMAP, std::pair<COLORREF, COLORREF>>, HBITMAP> made;
    HBITMAP& toned = made[{picture.bitmap, {ink, paper}}];
    if (!toned) {
        DIBSECTION source{};
        if (::GetObjectW(picture.bitmap, sizeof(source), &source) != sizeof(source) ||
            !source.dsBm.bmBits || source.dsBm.bmBitsPixel != 32)
            return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = picture.width;
        info.bmiHeader.biHeight = -picture.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        toned = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!toned) return;
        auto* from = static_cast<const BYTE*>(source.dsBm.bmBits);
        auto* to = static_cast<BYTE*>(bits);
        for (int i = 0; i < picture.width * picture.height; ++i) {
            const BYTE* p = from + i * 4;
            int alpha = p[3];
            // Lightness of the straight colour in percent, stretched so that the accent (25)
            // counts as ink and white as paper.
            int percent = alpha ? (p[2] * 30 + p[1] * 59 + p[0] * 11) / alpha : 0;
            int share = std::clamp((percent - 30) * 255 / 65, 0, 255);
            COLORREF color = Mix(paper, ink, share, 255);
            to[i * 4 + 0] = static_cast<BYTE>(GetBValue(color) * alpha / 255);
            to[i * 4 + 1] = static_cast<BYTE>(GetGValue(color) * alpha / 255);
            to[i * 4 + 2] = static_cast<BYTE>(GetRValue(color) * alpha / 255);
            to[i * 4 + 3] = static_cast<BYTE>(alpha);
        }
    }
    Picture tinted = picture;
    tinted.bitmap = toned;
    DrawPicture(dc, tinted, x, y, dpi);
}

void PaintFlatButton(HDC dc, const RECT& r, const FlatButtonLook& look, const FlatColors& c) {
    COLORREF face = look.disabled  ? c.disabledFace
                    : look.down    ? c.downFace
                    : look.pressed ? c.pressedFace
                    : look.hot     ? c.hotFace
                                   : c.face;
    // In high contrast a pressed button takes the highlight, and the highlight's text with it.
    bool highlighted = look.down || (look.pressed && c.systemColors);
    COLORREF text = look.disabled ? c.disabled : highlighted ? c.downText : c.text;
    Fill(dc, r, face);
    // A down button under the pointer keeps its fill and shows a lighter edge inside the frame.
    if (look.down && look.hot && !look.disabled) FrameBox(dc, r, c.downText, 2);
    COLORREF frame = look.disabled ? c.disabled : look.hot ? c.hotFrame : c.frame;
    FrameBox(dc, r, frame, look.isDefault && !look.down ? 2 : 1);

    RECT inner = r;
    ::InflateRect(&inner, -Px(look.dpi, 3), -Px(look.dpi, 2));
    SIZE pictureSize{};
    if (look.picture) pictureSize = PictureSize(*look.picture, look.dpi);
    int textHeight = 0;
    if (!look.caption.empty()) {
        RECT measure = inner;
        DrawUiText(dc, look.caption, measure, look.font, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        textHeight = measure.bottom - measure.top;
    }
    RECT textRect = inner;
    if (look.picture) {
        // The picture above the caption, the two centred together.
        int gap = look.caption.empty() ? 0 : Px(look.dpi, 2);
        int total = pictureSize.cy + gap + textHeight;
        int top = r.top + ((r.bottom - r.top) - total) / 2;
        int left = r.left + ((r.right - r.left) - pictureSize.cx) / 2;
        // On a filled face (down, or the system colours) the picture takes the text's colour.
        if (highlighted || look.disabled || c.systemColors)
            DrawDuotone(dc, *look.picture, left, top, look.dpi, text, face);
        else
            DrawPicture(dc, *look.picture, left, top, look.dpi);
        textRect.top = top + pictureSize.cy + gap;
        textRect.bottom = textRect.top + textHeight;
    }
    if (!look.caption.empty())
        DrawFlatText(dc, look.caption, textRect, look.font, text, DT_CENTER, look.cues.accelerators);
    if (look.focused && look.cues.focus) {
        RECT focus = r;
        ::InflateRect(&focus, -Px(look.dpi, 3), -Px(look.dpi, 3));
        DrawFocusFrame(dc, focus, text);
    }
}

void PaintFlatSpinArrows(HDC dc, const RECT& r, int pressed, bool disabled,
                         const FlatColors& c) {
    COLORREF ink = disabled ? c.disabled : c.frame;
    int middle = (r.top + r.bottom) / 2;
    RECT halves[2] = {{r.left, r.top, r.right, middle}, {r.left, middle, r.right, r.bottom}};
    for (int i = 0; i < 2; ++i) {
        // (In high contrast the arrows keep their face: they are drawn in the frame colour.)
        bool tinted = pressed == i + 1 && !c.systemColors;
        COLORREF face = disabled ? c.disabledFace : tinted ? c.pressedFace : c.face;
        Fill(dc, halves[i], face);
    }
    RECT frame{r.left - 1, r.top, r.right, r.bottom};
    FrameBox(dc, frame, ink);
    RECT line{r.left, middle, r.right, middle + 1};
    Fill(dc, line, ink);
    // A small triangle in each half, pointing up and down.
    int half = std::max(2, static_cast<int>(r.right - r.left) / 4);
    int x = (r.left + r.right) / 2;
    HGDIOBJ oldBrush = ::SelectObject(dc, SolidBrush(ink));
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    for (int i = 0; i < 2; ++i) {
        int y = (halves[i].top + halves[i].bottom) / 2;
        int tip = i == 0 ? y - half / 2 - 1 : y + half / 2 + 1;
        int base = i == 0 ? tip + half + 1 : tip - half - 1;
        POINT points[3] = {{x - half - 1, base}, {x + half + 1, base}, {x, tip}};
        ::Polygon(dc, points, 3);
    }
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
}

void PaintFlatCheckBox(HDC dc, const RECT& r, const FlatCheckLook& look, const FlatColors& c) {
    Fill(dc, r, look.background);
    int size = Px(look.dpi, 13);
    RECT box{r.left, r.top + ((r.bottom - r.top) - size) / 2, r.left + size, 0};
    box.bottom = box.top + size;
    // (In high contrast the box keeps its face when pressed: its mark is in the frame colour.)
    COLORREF face = look.disabled                      ? c.disabledFace
                    : look.pressed && !c.systemColors ? c.pressedFace
                    : look.hot                         ? c.hotFace
                                                       : c.face;
    COLORREF frame = look.disabled ? c.disabled : look.hot ? c.hotFrame : c.frame;
    Fill(dc, box, face);
    FrameBox(dc, box, frame);
    if (look.checked) {
        RECT mark = box;
        ::InflateRect(&mark, -1, -1);
        DrawCheckMark(dc, mark, look.disabled ? c.disabled : c.frame, Px(look.dpi, 2));
    }
    if (look.caption.empty()) return;
    RECT text{box.right + Px(look.dpi, 5), r.top, r.right, r.bottom};
    RECT taken = DrawFlatText(dc, look.caption, text, look.font,
                              look.disabled ? c.disabled : c.text, DT_LEFT,
                              look.cues.accelerators);
    if (look.focused && look.cues.focus) {
        ::InflateRect(&taken, 2, 1);
        ::IntersectRect(&taken, &taken, &r);
        DrawFocusFrame(dc, taken, c.text);
    }
}

}  // namespace nv::win32
