#include "ui/FormKeyboardLayour.h"

#include "res/resource.h"
#include "ui/Layout.h"
#include "ui/MainForm.h"

namespace nv {

TFormKeyboardLayour::TFormKeyboardLayour() : TForm("FormKeyboardLayour") {
    // No border and no title bar: the caption is never displayed.
    SetCaption(L"Defualt Hotkeys");
    borderless = true;
    sizeable = false;
    systemMenu = false;
    SetClientSize(483, 325);

    // The About page's gradient, inside a frame in the accent colour.
    pnlLayout.SetAlign(Align::Client);
    pnlLayout.color = 0x00857158;  // red 88, green 113, blue 133
    pnlLayout.gradient = true;
    pnlLayout.frameColor = kAccent;
    Place(imgKeyboard, 1, 16, 481, 262);
    imgKeyboard.resourceId = IDP_KEYBOARD;
    btnExit.SetCaption(L"Close");
    Place(btnExit, (483 - 155) / 2, 287, 155, 26);
    btnExit.OnClick = [this] { btnExitClick(); };
    Realign();
}

void TFormKeyboardLayour::btnExitClick() { Close(); }

Point CenteredOver(const Rect& owner, int width, int height, const Rect& screen) {
    Point p{owner.left + (owner.Width() - width) / 2, owner.top + (owner.Height() - height) / 2};
    if (p.x + width > screen.right) p.x = screen.right - width;
    if (p.y + height > screen.bottom) p.y = screen.bottom - height;
    if (p.x < screen.left) p.x = screen.left;
    if (p.y < screen.top) p.y = screen.top;
    return p;
}

void CenterLayoutFormOver(IWindowManager& windows, const TForm& owner, TForm& form) {
    Rect mine = form.ScreenBounds();
    form.SetScreenPosition(CenteredOver(owner.ScreenBounds(), mine.Width(), mine.Height(),
                                        windows.GetPrimaryScreenRect()));
}

// "Show Hotkeys Layout": over the main window, modeless; pressed again while the window is
// open, it centres it again.
void TMainForm::btShowLayoutClick() {
    CenterLayoutFormOver(platform.windows, *this, *FormKeyboardLayour);
    FormKeyboardLayour->Show();
}

}  // namespace nv
