// The main window's calls into the subsystems. Each operation forwards to the module that owns
// it; until a module exists, the operation has the behaviour of an empty state.
#include "ui/MainForm.h"

#include "triggers/Shortcuts.h"

namespace nv {

// Window inventory
void TMainForm::RefreshAvailableWindows() {}

// List files
void TMainForm::LoadExcludeList() {}
void TMainForm::LoadBringToTopList() {}
void TMainForm::SaveExcludeList() {}
void TMainForm::SaveBringToTopList() {}

// Settings store
bool TMainForm::IsAutoStartSet() { return false; }
void TMainForm::SetAutoStart(bool) {}
void TMainForm::LoadSettings() {}
void TMainForm::SaveSettings() {}

// Hotkeys
bool TMainForm::AssignAllShortcuts() { return nv::AssignAllShortcuts(*this); }
void TMainForm::UnregisterAllShortcuts() { nv::UnregisterAllShortcuts(*this); }

// Hide/restore cycle
bool TMainForm::IsHiddenMode() { return false; }
void TMainForm::btnHideAllClick() {}
void TMainForm::RestoreEverything() {}

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
