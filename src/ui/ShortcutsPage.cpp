// The Shortcuts sub-page of Extra Settings: the three hotkey boxes and the mouse-corner buttons.
#include "triggers/Shortcuts.h"
#include "ui/Layout.h"
#include "ui/MainForm.h"

namespace nv {

namespace {
constexpr wchar_t kHotkeyHint[] =
    L"Click in this field and hit the key of your choice. Please click outside the box using "
    L"your mouse before hitting any other keys.";
}  // namespace

void TMainForm::BuildShortcutsPage() {
    pnlKeyboard.SetAlign(Align::Client);
    FlatGroupBox8.SetCaption(L"Hide/Restore windows hot key");
    Place(FlatGroupBox8, 12, 6, 250, 50);
    Place(edHkWindowsKey, 10, 20, 190, 21);
    Place(btnMouseWinCtrl, 206, 18, 28, 25);
    FlatGroupBox3.SetCaption(L"Hide/Show program hot key");
    Place(FlatGroupBox3, 12, 62, 250, 50);
    Place(edHkProgramKey, 10, 20, 190, 21);
    gbSSaverHotkey.SetCaption(L"Start Screen saver");
    gbSSaverHotkey.hint = L"Start Screen saver hot key configuration";
    Place(gbSSaverHotkey, 12, 118, 250, 80);
    Place(edHKSSaverKey, 10, 20, 190, 21);
    Place(btnMouseSSaverCtrl, 206, 18, 28, 25);
    cbLockWorkstation.SetCaption(L"Lock workstation before starting ( For OS >= Win 2000)");
    cbLockWorkstation.hint = L"This feature is available only for Windows 2000/XP/NT systems";
    // The caption is longer than the group is wide: it wraps onto a second line.
    Place(cbLockWorkstation, 10, 45, 236, 28);
    // Each mouse button is a group of its own that may be all up: a click flips it, and the
    // two stay independent of each other.
    int group = 3;
    for (TSpeedButton* b : {&btnMouseWinCtrl, &btnMouseSSaverCtrl}) {
        b->hint = L"Activate On Mouse Shortcut";
        b->helpContext = 1014;
        b->imageId = 216;
        b->allowAllUp = true;
        b->groupIndex = group++;
    }
    edHkWindowsKey.SetText(L"CTRL+`");
    edHkProgramKey.SetText(L"CTRL+\\");
    edHKSSaverKey.SetText(L"CTRL+F12");
    for (TEdit* e : {&edHkWindowsKey, &edHkProgramKey, &edHKSSaverKey}) e->hint = kHotkeyHint;
    FlatGroupBox4.SetCaption(L"Quick instructions");
    Place(FlatGroupBox4, 272, 6, 260, 192);
    StaticText1.SetCaption(
        L"Click inside one of the edit boxes (white fields) and press the key combination that "
        L"you want to assign. The key name will be displayed in the field. Click the button with "
        L"the mouse icon to set a mouse shortcut for the action.");
    StaticText1.bold = true;
    StaticText1.centered = true;
    StaticText1.textColor = 0x00FFFFFF;
    StaticText1.background = kAccent;
    Place(StaticText1, 10, 20, 240, 156);

    btnMouseWinCtrl.OnClick = [this] { btnMouseWinCtrlClick(); };
    btnMouseSSaverCtrl.OnClick = [this] { btnMouseSSaverCtrlClick(); };

    // The hotkey boxes capture a combination and register it again when a key is released.
    for (auto [box, id] : {std::pair{&edHkWindowsKey, kHotkeyHideRestore},
                           std::pair{&edHkProgramKey, kHotkeyProgramWindow},
                           std::pair{&edHKSSaverKey, kHotkeyScreenSaver}}) {
        TEdit* edit = box;
        int hotkey = id;
        edit->OnKeyDown = [this, edit, hotkey](std::uint16_t& key, ShiftState shift) {
            hotkeys.BoxKeyDown(*edit, key, shift, hotkey);
        };
        edit->OnKeyPress = [](wchar_t& ch) { THotkeys::BoxKeyPress(ch); };
        edit->OnKeyUp = [this, edit, hotkey](std::uint16_t& key, ShiftState) {
            hotkeys.BoxKeyUp(*edit, key, hotkey);
        };
    }
}

void TMainForm::btnKeyaboardClick() {
    btnKeyaboard.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetShortcuts);
}

void TMainForm::ShowShortcutsPage() {
    btnOptionsClick();
    btnKeyaboardClick();
}

}  // namespace nv
