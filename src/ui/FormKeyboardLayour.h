// The hotkey layout window: a borderless window showing the three default hotkeys on a
// keyboard, made once at start-up and shown modeless by "Show Hotkeys Layout".
#pragma once

#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nv {

class TFormKeyboardLayour : public TForm {
public:
    TFormKeyboardLayour();

    TPanel pnlLayout{this, "pnlLayout"};
    TImage imgKeyboard{&pnlLayout, "imgKeyboard"};
    TButton btnExit{&pnlLayout, "btnExit"};

    void btnExitClick();
};

// Places the form's window centred over the owner's, kept on the primary screen.
// Stands in for the dialogs' shared centring helper until both share it.
void CenterLayoutFormOver(IWindowManager& windows, const TForm& owner, TForm& form);

// Where a window of this size lands centred over the owner's rectangle, moved back onto the
// screen where it would stick out.
Point CenteredOver(const Rect& owner, int width, int height, const Rect& screen);

}  // namespace nv
