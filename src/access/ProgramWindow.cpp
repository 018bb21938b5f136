#include "access/ProgramWindow.h"

#include "access/PasswordHash.h"
#include "widgets/Dialogs.h"

namespace nv {

TProgramWindow::TProgramWindow(TOwner owner)
    : FormSetAppPassword(owner.app), m_owner(owner) {}

void TProgramWindow::CreateForms() {
    m_owner.app.CreateForm(FormSetAppPassword);
    m_owner.app.CreateForm(FormMainAppPasswordPrompt);
}

bool TProgramWindow::PasswordMatches(const std::wstring& typed) {
    return nv::PasswordMatches(m_owner.crypto, m_owner.password, typed);
}

void TProgramWindow::SetApplicationPassword(const std::wstring& typed) {
    m_owner.password = typed.empty() ? std::wstring() : HashPassword(m_owner.crypto, typed);
}

void TProgramWindow::InvalidPassword() {
    ShowMessageDialog(m_owner.app, L"Invalid password\n\rPlease check your spelling and try again!",
                      MessageBoxKind::Error);
}

void TProgramWindow::ToggleProgramWindow(bool ask) {
    TForm& main = m_owner.mainForm;
    if (main.Visible()) {
        main.Hide();
        return;
    }
    if (!m_owner.password.empty() && ask) {
        TFormMainAppPasswordPrompt& prompt = FormMainAppPasswordPrompt;
        // A second press of the hotkey while the prompt is up does not ask again inside it.
        if (prompt.InModal()) return;
        for (;;) {
            prompt.edPassword.SetText(L"");
            if (prompt.ShowModal() != ModalResult::Ok) return;
            bool right = PasswordMatches(prompt.edPassword.Text());
            if (right) break;
            InvalidPassword();
        }
        // The typed password does not stay in the hidden prompt.
        prompt.edPassword.SetText(L"");
    }
    main.Show();
    main.SetFocus();
}

bool TProgramWindow::StartupPasswordCheck() {
    TFormMainAppPasswordPrompt& prompt = FormMainAppPasswordPrompt;
    for (;;) {
        // Not emptied: after a wrong entry the prompt shows it again.
        if (prompt.ShowModal() != ModalResult::Ok) {
            m_owner.app.Terminate();
            return false;
        }
        if (PasswordMatches(prompt.edPassword.Text())) {
            prompt.edPassword.SetText(L"");
            return true;
        }
        InvalidPassword();
    }
}

void TProgramWindow::btnSetAppPasswordClick() {
    CenterFormOver(m_owner.windows, m_owner.mainForm, FormSetAppPassword);
    if (FormSetAppPassword.ShowModal() != ModalResult::Ok) return;
    SetApplicationPassword(FormSetAppPassword.edPassword.Text());
    m_owner.cbAppPassword.SetCheckedSilently(true);
}

void TProgramWindow::cbAppPasswordClick() {
    TCheckBox& box = m_owner.cbAppPassword;
    bool wasTicked = !box.Checked();
    if (wasTicked) {
        SetApplicationPassword(L"");
        box.SetCheckedSilently(false);
        return;
    }
    btnSetAppPasswordClick();
    box.SetCheckedSilently(!m_owner.password.empty());
}

}  // namespace nv
