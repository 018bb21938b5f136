// The main window's calls into the subsystems: each operation forwards to the module that owns
// it.
#include "ui/MainForm.h"

#include "access/PasswordHash.h"
#include "shell/Globals.h"

#include "conceal/HideCycle.h"
#include "triggers/Shortcuts.h"

namespace nv {

// List files
void TMainForm::LoadExcludeList() { listStore.LoadExcludeList(); }
void TMainForm::LoadBringToTopList() { listStore.LoadBringToTopList(); }
void TMainForm::SaveExcludeList() { listStore.SaveExcludeList(); }
void TMainForm::SaveBringToTopList() { listStore.SaveBringToTopList(); }

// Settings store
bool TMainForm::IsAutoStartSet() { return settingsStore.IsAutoStartSet(); }
void TMainForm::SetAutoStart(bool enabled) { settingsStore.SetAutoStart(enabled); }
void TMainForm::LoadSettings() { settingsStore.LoadSettings(); }
void TMainForm::SaveSettings() { settingsStore.SaveSettings(); }

// Application password
bool TMainForm::PasswordMatches(const std::wstring& typed) {
    return nv::PasswordMatches(platform.crypto, globals.applicationPassword, typed);
}
void TMainForm::SetApplicationPassword(const std::wstring& typed) {
    globals.applicationPassword =
        typed.empty() ? std::wstring() : HashPassword(platform.crypto, typed);
}

// Hotkeys
bool TMainForm::AssignAllShortcuts() {
    return hotkeys.AssignAllShortcuts(edHkWindowsKey.Text(), edHkProgramKey.Text(),
                                      edHKSSaverKey.Text());
}
void TMainForm::UnregisterAllShortcuts() { hotkeys.UnregisterAllShortcuts(); }

// Hide/restore cycle
bool TMainForm::IsHiddenMode() { return hideCycle->IsHiddenMode(); }
void TMainForm::btnHideAllClick() { hideCycle->btnHideAllClick(); }
void TMainForm::RestoreEverything() { hideCycle->RestoreEverything(); }
void TMainForm::RecoverPreviousSession() {
    if (hideCycle->RecoverPreviousSession() != THideCycle::TRecovery::Damaged) return;
    app.MessageBox(L"Nivora could not recover what a previous session had hidden.\r\n"
                   L"Its record was damaged and has been kept as " +
                       globals.damagedRecoveryFile + L".",
                   MessageBoxKind::Warning);
}

// Program window
void TMainForm::ToggleProgramWindow(bool) {
    if (Visible()) {
        Hide();
        return;
    }
    Show();
    SetFocus();
}

}  // namespace nv
