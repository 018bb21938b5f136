// The main window's calls into the subsystems: each operation forwards to the module that owns
// it.
#include "ui/MainForm.h"

#include "access/PasswordHash.h"
#include "inventory/ListFiles.h"
#include "shell/Globals.h"

#include "conceal/HideCycle.h"
#include "triggers/Shortcuts.h"

namespace nv {

// List files
void TMainForm::LoadExcludeList() {
    excludeListUnread = true;
    LoadEntryList(platform.kernel, ExcludeList, globals.excludeListFile, true);
    excludeListUnread = false;
}
void TMainForm::LoadBringToTopList() {
    bringToTopListUnread = true;
    LoadEntryList(platform.kernel, BringToTopList, globals.bringToTopFile, false);
    bringToTopListUnread = false;
}
// A read that fails again stops the save: the file keeps what it holds.
void TMainForm::SaveExcludeList() {
    if (excludeListUnread) LoadExcludeList();
    SaveEntryList(platform.kernel, ExcludeList, globals.excludeListFile);
}
void TMainForm::SaveBringToTopList() {
    if (bringToTopListUnread) {
        // The list holds one entry at most: what the user put there since wins over the file.
        if (BringToTopList.Count() > 0)
            bringToTopListUnread = false;
        else
            LoadBringToTopList();
    }
    SaveEntryList(platform.kernel, BringToTopList, globals.bringToTopFile);
}

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
