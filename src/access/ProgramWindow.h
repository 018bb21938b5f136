// The program window behind the application password: showing and hiding it, the start-up
// check, and the General page's password button and box.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "access/FormMainAppPasswordPrompt.h"
#include "access/FormSetAppPassword.h"
#include "platform/Platform.h"
#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

class TProgramWindow {
public:
    struct TOwner {
        TApplication& app;
        IWindowManager& windows;
        ICrypto& crypto;
        TForm& mainForm;
        // The application password as kept: its hash (or a plain text left by an older
        // version); empty when none is set.
        std::wstring& password;
        TCheckBox& cbAppPassword;
        // Writes the password as kept (its hash, or empty for none) where the next start reads
        // it; raises when it cannot.
        std::function<void(const std::wstring& stored)> storePassword;
    };
    explicit TProgramWindow(TOwner owner);

    // Both dialogs are made once at start-up and reused.
    TFormSetAppPassword FormSetAppPassword;
    TFormMainAppPasswordPrompt FormMainAppPasswordPrompt;
    void CreateForms();

    // Hides the program window when it is visible; otherwise shows it, first asking for the
    // password when ask is true and one is set. A cancelled prompt leaves it hidden.
    void ToggleProgramWindow(bool ask);
    // At start-up, with a password set: asks until the right one is entered (true) or the
    // prompt is cancelled, which requests the program's termination (false).
    bool StartupPasswordCheck();

    void btnSetAppPasswordClick();
    // The box has already flipped: it acts on the state it showed before the click.
    void cbAppPasswordClick();

    bool PasswordMatches(const std::wstring& typed);
    // Keeps only the hash of the typed text; an empty text removes the password. Stored at once:
    // when that fails it raises, and the password stays as it was.
    void SetApplicationPassword(const std::wstring& typed);

private:
    void InvalidPassword();
    // Shows the prompt and takes what was typed out of it, whatever the answer: a password never
    // waits in a hidden dialog for the next showing. Empty when cancelled.
    std::optional<std::wstring> AskPassword();
    TOwner m_owner;
};

}  // namespace nv
