// The dialog that sets the application password: typed twice, both masked.
#pragma once

#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

class TFormSetAppPassword : public TForm {
public:
    explicit TFormSetAppPassword(TApplication& app);

    TLabel StaticText1{this, "StaticText1"};
    TLabel lbPassword{this, "lbPassword"};
    TEdit edPassword{this, "edPassword"};
    TLabel lbConfirmPassword{this, "lbConfirmPassword"};
    TEdit edConfirmPassword{this, "edConfirmPassword"};
    TButton btnOk{this, "btnOk"};
    TButton btnCancel{this, "btnCancel"};

    void FormShow();
    // Closes with OK only when both fields hold the same, non-empty text; otherwise says why and
    // stays, with the focus in the first field.
    void btnOkClick();

private:
    TApplication& m_app;
};

}  // namespace nv
