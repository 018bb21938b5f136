// The password prompt: asked at start-up and each time the program window is brought back while
// a password is set. What is typed shows as "*": the program exists to keep the screen from
// onlookers.
#pragma once

#include "widgets/Controls.h"

namespace nv {

class TFormMainAppPasswordPrompt : public TForm {
public:
    TFormMainAppPasswordPrompt();

    TLabel Label1{this, "Label1"};
    TEdit edPassword{this, "edPassword"};
    TButton btnOk{this, "btnOk"};
    TButton btnExit{this, "btnExit"};

    void FormShow();
};

}  // namespace nv
