#include "triggers/MouseShortcutForm.h"

namespace nv {

namespace {
constexpr int kBox = 16;  // a corner box without caption
}  // namespace

TMouseShortcutForm::TMouseShortcutForm() : TForm("MouseShortcutForm") {
    SetCaption(L"Mouse Shortcut");
    SetClientSize(218, 204);
    sizeable = false;
    systemMenu = false;

    gbCorners.SetCaption(L"Screen corners");
    gbCorners.SetBounds(8, 6, 202, 156);
    // A small screen: the boxes sit in its four corners.
    pnlScreen.bevel = true;
    pnlScreen.color = 0x00A56E3A;  // a desktop blue
    pnlScreen.SetBounds(51, 20, 100, 72);
    cbTopLeft.SetBounds(3, 3, kBox, kBox);
    cbTopRight.SetBounds(100 - 3 - kBox, 3, kBox, kBox);
    cbBottomLeft.SetBounds(3, 72 - 3 - kBox, kBox, kBox);
    cbBottomRight.SetBounds(100 - 3 - kBox, 72 - 3 - kBox, kBox, kBox);
    for (TCheckBox* box : {&cbTopLeft, &cbTopRight, &cbBottomLeft, &cbBottomRight})
        box->OnClick = [this, box] { SelectCorner(box); };

    lbHoverInterval.SetCaption(L"Hover time milisec.");
    lbHoverInterval.SetBounds(10, 103, 110, 16);
    edHoverInterval.minValue = 0;
    edHoverInterval.maxValue = 30000;
    edHoverInterval.increment = 100;
    edHoverInterval.SetBounds(124, 100, 66, 21);
    lbZoneSize.SetCaption(L"Zone size (pixels)");
    lbZoneSize.SetBounds(10, 130, 110, 16);
    edZoneSize.minValue = 0;
    edZoneSize.maxValue = 200;
    edZoneSize.increment = 1;
    edZoneSize.SetBounds(124, 127, 66, 21);

    btnOk.SetCaption(L"Ok");
    btnOk.isDefault = true;
    btnOk.SetBounds(30, 171, 75, 25);
    btnCancel.SetCaption(L"Cancel");
    btnCancel.isCancel = true;
    btnCancel.SetBounds(113, 171, 75, 25);

    OnShow = [this] { FormShow(); };
    btnOk.OnClick = [this] { btnOkClick(); };
    btnCancel.OnClick = [this] { btnCancelClick(); };
}

void TMouseShortcutForm::FormShow() { cbTopLeft.SetFocus(); }

void TMouseShortcutForm::btnOkClick() { SetModalResult(ModalResult::Ok); }

void TMouseShortcutForm::btnCancelClick() { SetModalResult(ModalResult::Cancel); }

void TMouseShortcutForm::SelectCorner(TCheckBox* clicked) {
    for (TCheckBox* box : {&cbTopLeft, &cbTopRight, &cbBottomLeft, &cbBottomRight})
        if (box != clicked) box->SetCheckedSilently(false);
    // A click on the ticked box leaves it ticked: a corner cannot be unticked.
    if (clicked) clicked->SetCheckedSilently(true);
}

TCheckBox* TMouseShortcutForm::CornerBox(std::uint8_t corner) {
    switch (corner) {
        case 0:
            return &cbTopLeft;
        case 1:
            return &cbTopRight;
        case 2:
            return &cbBottomLeft;
        case 3:
            return &cbBottomRight;
        default:
            return nullptr;
    }
}

std::optional<std::uint8_t> TMouseShortcutForm::TickedCorner() {
    for (std::uint8_t corner = 0; corner < 4; ++corner)
        if (CornerBox(corner)->Checked()) return corner;
    return std::nullopt;
}

}  // namespace nv
