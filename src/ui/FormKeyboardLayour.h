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

}  // namespace nv
