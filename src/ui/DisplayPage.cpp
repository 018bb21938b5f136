// The Display sub-page of Extra Settings: the display mode to switch to while hidden.
#include "ui/Layout.h"
#include "ui/MainForm.h"

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

    popMenuResolutions.items.Add("mnSelectCurrentDisplayMode", L"Current");
}

void TMainForm::btnDisplayClick() {
    edCurrentResolutionInfo.SetText(DisplayModeText(CurrentDisplayModeNumber()));
    btnDisplay.SetDown(true);
    PageControlSettings.SetActivePage(&SheetSetDisplay);
    edResolutionInfo.SetFocus();
}

// Until the modes are listed, no listed mode can match the current settings; what stands for
// the current mode then is ENUM_CURRENT_SETTINGS (-1), which reads back as the current
// settings, so switching to it changes nothing.
std::int32_t TMainForm::CurrentDisplayModeNumber() { return -1; }
// With no mode listed there is none to describe: the text stays empty.
std::wstring TMainForm::DisplayModeText(std::int32_t) { return std::wstring(); }

}  // namespace nv
