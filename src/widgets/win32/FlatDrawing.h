// The program's flat look, drawn once for every peer: buttons and speed buttons with a face in
// the window colour and a 1-px accent frame, check boxes with an accent box and mark, and the
// pieces they are made of. In high contrast everything is drawn in the system colours only.
#pragma once

#include <windows.h>

#include <string>

namespace nv::win32 {

struct Picture;

// The colours of the flat look.
struct FlatColors {
    COLORREF face;         // a button's face, the inside of a check box
    COLORREF hotFace;      // under the pointer
    COLORREF pressedFace;  // while pressed
    COLORREF downFace;     // a speed button that is down
    COLORREF downText;
    COLORREF text;
    COLORREF frame;        // frames and check marks
    COLORREF hotFrame;
    COLORREF disabled;     // caption, frame and mark of a disabled control
    COLORREF disabledFace;
    bool systemColors;     // high contrast: pictures too take the text's colour
};
// The accent and its tints, or (highContrast) the system colours of the user's scheme.
FlatColors FlatColorsFor(bool highContrast);
// The colours for now: FlatColorsFor(HighContrast()).
FlatColors CurrentFlatColors();

// Whether a window shows focus rectangles and mnemonic underlines now (its UI state).
struct KeyboardCues {
    bool focus = true;
    bool accelerators = true;
};
KeyboardCues CuesOf(HWND window);

// What a flat button shows.
struct FlatButtonLook {
    std::wstring caption;
    HFONT font = nullptr;
    int dpi = 96;                      // the control's: its margins and gaps scale with it
    const Picture* picture = nullptr;  // above the caption, or centred without one
    bool down = false;                 // a speed button that is down
    bool hot = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    bool isDefault = false;            // the button Enter presses: a frame 2 px wide
    KeyboardCues cues;
};
void PaintFlatButton(HDC dc, const RECT& r, const FlatButtonLook& look, const FlatColors& colors);

// What a flat check box shows: a square box at the left, the caption beside it, wrapped.
struct FlatCheckLook {
    std::wstring caption;
    HFONT font = nullptr;
    int dpi = 96;             // the control's: the box's size scales with it
    COLORREF background = 0;  // what the box stands on
    bool checked = false;
    bool hot = false;
    bool pressed = false;
    bool focused = false;
    bool disabled = false;
    KeyboardCues cues;
};
void PaintFlatCheckBox(HDC dc, const RECT& r, const FlatCheckLook& look, const FlatColors& colors);

// The arrows of a spin edit, beside its edit's frame (so without a left edge of their own): the
// upper and lower half of r, the pressed one (1 up, 2 down, 0 none) tinted.
void PaintFlatSpinArrows(HDC dc, const RECT& r, int pressed, bool disabled,
                         const FlatColors& colors);

// A frame of the given width inside r.
void FrameBox(HDC dc, const RECT& r, COLORREF color, int width = 1);
// Paints a window's 2-px client edge (WS_EX_CLIENTEDGE) flat after WM_NCPAINT: a 1-px frame,
// and inside it the window's face, so the client area seems to start at the frame.
void FlatClientEdge(HWND window, COLORREF frame, COLORREF face);
// Text with its mnemonic underlined only when accelerators shows, wrapped within r and centred
// vertically there; flags add DT_CENTER or DT_LEFT. Returns the rectangle the text takes.
RECT DrawFlatText(HDC dc, const std::wstring& text, const RECT& r, HFONT font, COLORREF color,
                  UINT flags, bool accelerators);
// A check mark inside box, its strokes width px wide.
void DrawCheckMark(HDC dc, const RECT& box, COLORREF color, int width);
// The picture in two colours, for a picture on a filled or system face: its dark parts in ink,
// its light parts in paper (a dark picture on white becomes a white one on the accent).
void DrawDuotone(HDC dc, const Picture& picture, int x, int y, int dpi, COLORREF ink,
                 COLORREF paper);
// A dotted rectangle in one colour: the focus rectangle, readable on any face.
void DrawFocusFrame(HDC dc, const RECT& r, COLORREF color);

}  // namespace nv::win32
