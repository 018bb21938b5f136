// The Display sub-page of Extra Settings: the display mode to switch to while hidden.
#include "display/ConfirmationForm.h"
#include "display/DisplayFunctions.h"
#include "ui/Layout.h"
#include "ui/MainForm.h"
#include "widgets/Dialogs.h"
#include "widgets/MenuPictures.h"

namespace nv {

void TMainForm::BuildDisplayPage() {
    pnlDisplay.SetAlign(Align::Client);
    Place(imMonitor, 12, 10, 48, 48);
    imMonitor.resourceId = 222;
    cbSwitchResolution.SetCaption(L"Switch display resolution");
    cbSwitchResolution.hint = L"Enable display resolution switching on hot key.";
    Place(cbSwitchResolution, 72, 10, 250, 17);
    edResolutionInfo.SetReadOnly(true);
    edResolutionInfo.hint = L"Currently selected display resolution";
    Place(edResolutionInfo, 72, 36, 250, 21);
    btnSelectResolution.SetCaption(L"List");
    btnSelectResolution.hint = L"List of all display resolutions supported by your video board.";
    btnSelectResolution.dropDownMenu = &popMenuResolutions;
    Place(btnSelectResolution, 330, 35, 60, 23);
    btnTestResolution.SetCaption(L"Test selected resolution");
    btnTestResolution.hint = L"Click to switch to the resolution listed above.";
    Place(btnTestResolution, 72, 64, 180, 25);
    Label1.SetCaption(L"Current Display Resolution:");
    Place(Label1, 72, 104, 250, 14);
    edCurrentResolutionInfo.SetReadOnly(true);
    edCurrentResolutionInfo.SetEnabled(false);
    edCurrentResolutionInfo.hint = L"Currently selected display resolution";
    Place(edCurrentResolutionInfo, 72, 120, 250, 21);

    TMenuItem& current = popMenuResolutions.items.Add("mnSelectCurrentDisplayMode", L"Current");
    current.imageIndex = kPicDisplayMode;
    current.OnClick = [this] { mnSelectCurrentDisplayModeClick(); };
    btnTestResolution.OnClick = [this] { btnTestResolutionClick(); };
}

void TMainForm::btnDisplayClick() {
    edCurrentResolutionInfo.SetText(DisplayModeText(CurrentDisplayModeNumber()));
    btnDisplay.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetDisplay);
    edResolutionInfo.SetFocus();
}

// Called once by the creation step, after the settings load.
void TMainForm::FillDisplayModeMenu() {
    nv::FillDisplayModeMenu(platform.display, popMenuResolutions,
                            [this](std::int32_t modeNumber) { ResolutionMenuClick(modeNumber); });
    edResolutionInfo.SetText(DisplayModeText(selectedModeNumber));
    edCurrentResolutionInfo.SetText(DisplayModeText(CurrentDisplayModeNumber()));
}

void TMainForm::ResolutionMenuClick(std::int32_t modeNumber) {
    selectedModeNumber = modeNumber;
    edResolutionInfo.SetText(DisplayModeText(modeNumber));
}

void TMainForm::mnSelectCurrentDisplayModeClick() {
    selectedModeNumber = CurrentDisplayModeNumber();
    edResolutionInfo.SetText(DisplayModeText(selectedModeNumber));
}

void TMainForm::btnTestResolutionClick() {
    // A mode the system does not list is never switched to: there is nothing to try.
    if (!ListedDisplayMode(platform.display, selectedModeNumber)) return;
    ShowMessageDialog(
        app,
        L"Your display mode will be switched to the one you have selected.\n\r"
        L"If the screen becomes black or distorted please wait 10 seconds\n\r"
        L"and your original display mode will be restored.",
        MessageBoxKind::Information);
    TestDisplayMode(platform.display, selectedModeNumber, [this] {
        ConfirmationForm->ShowModal();
        ConfirmationForm->Timer1.SetEnabled(false);
    });
    edCurrentResolutionInfo.SetText(DisplayModeText(CurrentDisplayModeNumber()));
}

std::int32_t TMainForm::CurrentDisplayModeNumber() {
    return nv::CurrentDisplayModeNumber(platform.display);
}

std::wstring TMainForm::DisplayModeText(std::int32_t modeNumber) {
    return nv::DisplayModeText(platform.display, modeNumber);
}

}  // namespace nv
