#include "ui/FormKeyboardLayour.h"

#include "res/resource.h"
#include "widgets/Dialogs.h"
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

// "Show Hotkeys Layout": over the main window, modeless; pressed again while the window is
// open, it centres it again.
void TMainForm::btShowLayoutClick() {
    CenterFormOver(platform.windows, *this, *FormKeyboardLayour);
    FormKeyboardLayour->Show();
}

}  // namespace nv
