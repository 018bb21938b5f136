#include "access/FormSetAppPassword.h"

#include "widgets/Dialogs.h"

namespace nv {

TFormSetAppPassword::TFormSetAppPassword(TApplication& app)
    : TForm("FormSetAppPassword"), m_app(app) {
    SetCaption(L"Application password");
    SetClientSize(257, 162);
    sizeable = false;
    StaticText1.SetCaption(
        L"Please remember or write down the password you have set. If you forget this password "
        L"you will no longer be able to access the application settings.");
    StaticText1.textColor = 0x000000B9;  // dark red
    StaticText1.centered = true;
    StaticText1.SetBounds(8, 4, 241, 54);
    lbPassword.SetCaption(L"Password");
    lbPassword.SetBounds(8, 60, 120, 14);
    edPassword.passwordChar = L'*';
    edPassword.SetBounds(8, 74, 241, 21);
    lbConfirmPassword.SetCaption(L"Confirm password");
    lbConfirmPassword.SetBounds(8, 98, 120, 14);
    edConfirmPassword.passwordChar = L'*';
    edConfirmPassword.SetBounds(8, 112, 241, 21);
    btnOk.SetCaption(L"Ok");
    btnOk.isDefault = true;
    btnOk.SetBounds(92, 137, 75, 22);
    btnCancel.SetCaption(L"Cancel");
    btnCancel.isCancel = true;
    btnCancel.SetBounds(174, 137, 75, 22);

    OnShow = [this] { FormShow(); };
    btnOk.OnClick = [this] { btnOkClick(); };
    btnCancel.OnClick = [this] { SetModalResult(ModalResult::Cancel); };
}

void TFormSetAppPassword::FormShow() { edPassword.SetFocus(); }

void TFormSetAppPassword::btnOkClick() {
    if (edPassword.Text() != edConfirmPassword.Text()) {
        ShowMessageDialog(m_app, L"The passwords do not match!\n\rPlease correct.",
                          MessageBoxKind::Error);
        edPassword.SetFocus();
        return;
    }
    if (edPassword.Text().empty()) {
        ShowMessageDialog(m_app, L"Please fill all the fields.", MessageBoxKind::Warning);
        edPassword.SetFocus();
        return;
    }
    SetModalResult(ModalResult::Ok);
}

}  // namespace nv
