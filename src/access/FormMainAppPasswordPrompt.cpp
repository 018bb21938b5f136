#include "access/FormMainAppPasswordPrompt.h"

namespace nv {

TFormMainAppPasswordPrompt::TFormMainAppPasswordPrompt() : TForm("FormMainAppPasswordPrompt") {
    SetCaption(L"NVA");
    SetClientSize(207, 94);
    sizeable = false;
    // Centred on the screen: the program window is usually hidden when it asks.
    centerOnFirstShow = true;
    stayOnTop = true;
    Label1.SetCaption(L"Entre application password");
    Label1.SetBounds(12, 10, 183, 16);
    edPassword.passwordChar = L'*';
    edPassword.SetBounds(12, 29, 183, 21);
    btnOk.SetCaption(L"&Ok");
    btnOk.isDefault = true;
    btnOk.SetBounds(22, 61, 75, 25);
    btnExit.SetCaption(L"&Cancel");
    btnExit.isCancel = true;
    btnExit.SetBounds(110, 61, 75, 25);

    OnShow = [this] { FormShow(); };
    btnOk.OnClick = [this] { SetModalResult(ModalResult::Ok); };
    btnExit.OnClick = [this] { SetModalResult(ModalResult::Cancel); };
}

void TFormMainAppPasswordPrompt::FormShow() { edPassword.SetFocus(); }

}  // namespace nv
