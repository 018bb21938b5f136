// The main window's calls into the subsystems: each operation forwards to the module that owns
// it.
#include "ui/MainForm.h"

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

// Application password and program window
bool TMainForm::PasswordMatches(const std::wstring& typed) {
    return programWindow.PasswordMatches(typed);
}
void TMainForm::SetApplicationPassword(const std::wstring& typed) {
    programWindow.SetApplicationPassword(typed);
}
void TMainForm::ToggleProgramWindow(bool ask) { programWindow.ToggleProgramWindow(ask); }
void TMainForm::btnSetAppPasswordClick() { programWindow.btnSetAppPasswordClick(); }
void TMainForm::cbAppPasswordClick() { programWindow.cbAppPasswordClick(); }

// Mouse corners, screen saver and lock
void TMainForm::MouseTimerTimer() { mouseCorners.MouseTimerTimer(); }
bool TMainForm::IsWorkstationLocked() { return workstationLock.IsLocked(); }
void TMainForm::StartScreenSaver() { screenSaver.StartScreenSaver(cbLockWorkstation.Checked()); }
void TMainForm::btnMouseWinCtrlClick() {
    // Pressed: the dialog decides whether it stays down. Released: the corner is off.
    if (btnMouseWinCtrl.Down())
        btnMouseWinCtrl.SetDown(globals.hideCornerShortcut.EditShortcut(app, platform.windows, *this));
}
void TMainForm::btnMouseSSaverCtrlClick() {
    if (btnMouseSSaverCtrl.Down())
        btnMouseSSaverCtrl.SetDown(
            globals.screenSaverCornerShortcut.EditShortcut(app, platform.windows, *this));
}

// Hotkeys
bool TMainForm::AssignAllShortcuts() {
    return hotkeys.AssignAllShortcuts(edHkWindowsKey, edHkProgramKey, edHKSSaverKey);
}
void TMainForm::UnregisterAllShortcuts() { hotkeys.UnregisterAllShortcuts(); }

// Hide/restore cycle
bool TMainForm::IsHiddenMode() { return hideCycle->IsHiddenMode(); }
void TMainForm::btnHideAllClick() {
    // Told also when a step failed: hidden mode has changed all the same.
    struct TellIdleHide {
        TIdleHide& idle;
        ~TellIdleHide() { idle.HiddenModeChanged(); }
    } tell{idleHide};
    hideCycle->btnHideAllClick();
}
void TMainForm::RestoreEverything() { hideCycle->RestoreEverything(); }
void TMainForm::RecoverPreviousSession() {
    std::wstring told;
    switch (hideCycle->RecoverPreviousSession()) {
        case THideCycle::TRecovery::Nothing:
        case THideCycle::TRecovery::Recovered:
            return;
        case THideCycle::TRecovery::Damaged:
            told = L"Its record was damaged and has been kept as " + globals.damagedRecoveryFile +
                   L".";
            break;
        case THideCycle::TRecovery::DamagedRemoved:
            told = L"Its record was damaged and could not be kept as " +
                   globals.damagedRecoveryFile + L", so it has been removed.";
            break;
        case THideCycle::TRecovery::DamagedLeft:
            told = L"Its record " + globals.recoveryFile +
                   L" could not be read, set aside or removed; it is read again at the next start.";
            break;
    }
    app.MessageBox(L"Nivora could not recover what a previous session had hidden.\r\n" + told,
                   MessageBoxKind::Warning);
}

}  // namespace nv
