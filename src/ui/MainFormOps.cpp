// The main window's calls into the subsystems. Each operation forwards to the module that owns
// it; until a module exists, the operation has the behaviour of an empty state.
#include "ui/MainForm.h"

#include "access/PasswordHash.h"
#include "shell/Globals.h"

#include "conceal/HideCycle.h"
#include "triggers/Shortcuts.h"

namespace nv {

// Window inventory
void TMainForm::RefreshAvailableWindows() {
    inventory->FillWindowList(AvailableWindowsList, true);
    inventory->RefreshWindowIcons(AvailableWindowsList, ProgramsImageList);
}

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

// Display modes. Until the modes are listed, no listed mode can match the current settings;
// what stands for the current mode then is ENUM_CURRENT_SETTINGS (-1), which reads back as the
// current settings, so switching to it changes nothing.
std::int32_t TMainForm::CurrentDisplayModeNumber() { return -1; }
// With no mode listed there is none to describe: the text stays empty.
std::wstring TMainForm::DisplayModeText(std::int32_t) { return std::wstring(); }

// Hotkeys
bool TMainForm::AssignAllShortcuts() { return nv::AssignAllShortcuts(*this); }
void TMainForm::UnregisterAllShortcuts() { nv::UnregisterAllShortcuts(*this); }

// Hide/restore cycle
bool TMainForm::IsHiddenMode() { return hideCycle->IsHiddenMode(); }
void TMainForm::btnHideAllClick() { hideCycle->btnHideAllClick(); }
void TMainForm::RestoreEverything() { hideCycle->RestoreEverything(); }

// The cycle's steps from subsystems still to come: nothing to hide or restore yet.
void TMainForm::SwitchDisplayMode() {}
void TMainForm::RestoreDisplayMode() {}
void TMainForm::RemoveWallpaper() {}
void TMainForm::RestoreWallpaper() {}
void TMainForm::SaveCurrentVolume() {}
void TMainForm::ApplyDesiredVolume() {}
void TMainForm::RestoreSavedVolume() {}
void TMainForm::RefreshCurrentVolume() {}  // the Sound page's "Current" group stays as it is
void TMainForm::HideSpecialWindows(bool, bool, bool) {}
void TMainForm::RestoreSpecialWindows() {}

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
