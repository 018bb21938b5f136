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
    std::wstring stored = typed.empty() ? std::wstring() : HashPassword(m_owner.crypto, typed);
    m_owner.storePassword(stored);
    m_owner.password = std::move(stored);
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
            std::optional<std::wstring> typed = AskPassword();
            if (!typed) return;
            if (PasswordMatches(*typed)) break;
            InvalidPassword();
        }
    }
    main.Show();
    main.SetFocus();
}

std::optional<std::wstring> TProgramWindow::AskPassword() {
    TFormMainAppPasswordPrompt& prompt = FormMainAppPasswordPrompt;
    prompt.edPassword.SetText(L"");
    bool ok = prompt.ShowModal() == ModalResult::Ok;
    std::wstring typed = prompt.edPassword.Text();
    prompt.edPassword.SetText(L"");
    if (!ok) return std::nullopt;
    return typed;
}

bool TProgramWindow::StartupPasswordCheck() {
    for (;;) {
        std::optional<std::wstring> typed = AskPassword();
        if (!typed) {
            m_owner.app.Terminate();
            return false;
        }
        if (PasswordMatches(*typed)) return true;
        InvalidPassword();
    }
}

void TProgramWindow::btnSetAppPasswordClick() {
    TFormSetAppPassword& dialog = FormSetAppPassword;
    CenterFormOver(m_owner.windows, m_owner.mainForm, dialog);
    bool ok = dialog.ShowModal() == ModalResult::Ok;
    std::wstring typed = dialog.edPassword.Text();
    dialog.edPassword.SetText(L"");
    dialog.edConfirmPassword.SetText(L"");
    if (!ok) return;
    SetApplicationPassword(typed);
    m_owner.cbAppPassword.SetCheckedSilently(true);
}

// The box shows the state the password is in until a change has been stored: a store that
// fails leaves both as they were.
void TProgramWindow::cbAppPasswordClick() {
    TCheckBox& box = m_owner.cbAppPassword;
    bool wasTicked = !box.Checked();
    box.SetCheckedSilently(wasTicked);
    if (wasTicked) {
        SetApplicationPassword(L"");
        box.SetCheckedSilently(false);
        return;
    }
    btnSetAppPasswordClick();
    box.SetCheckedSilently(!m_owner.password.empty());
}

}  // namespace nv
