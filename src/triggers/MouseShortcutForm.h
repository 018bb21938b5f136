// The dialog that edits a mouse corner shortcut: four corner boxes on a small picture of the
// screen (exactly one ticked), the hover time and the zone size.
#pragma once

#include <cstdint>
#include <optional>

#include "widgets/Controls.h"

namespace nv {

class TMouseShortcutForm : public TForm {
public:
    TMouseShortcutForm();

    TGroupBox gbCorners{this, "gbCorners"};
    TPanel pnlScreen{&gbCorners, "pnlScreen"};
    TCheckBox cbTopLeft{&pnlScreen, "cbTopLeft"};
    TCheckBox cbTopRight{&pnlScreen, "cbTopRight"};
    TCheckBox cbBottomLeft{&pnlScreen, "cbBottomLeft"};
    TCheckBox cbBottomRight{&pnlScreen, "cbBottomRight"};
    TLabel lbHoverInterval{&gbCorners, "lbHoverInterval"};
    TSpinEdit edHoverInterval{&gbCorners, "edHoverInterval"};
    TLabel lbZoneSize{&gbCorners, "lbZoneSize"};
    TSpinEdit edZoneSize{&gbCorners, "edZoneSize"};
    TButton btnOk{this, "btnOk"};
    TButton btnCancel{this, "btnCancel"};

    void FormShow();
    void btnOkClick();
    void btnCancelClick();
    // Unticks every corner box but the clicked one and ticks that one, running no click
    // handler; with none, unticks all four.
    void SelectCorner(TCheckBox* clicked);

    // The box of a corner (0 top left, 1 top right, 2 bottom left, 3 bottom right), or none.
    TCheckBox* CornerBox(std::uint8_t corner);
    // The first ticked corner in that order, or none.
    std::optional<std::uint8_t> TickedCorner();
};

}  // namespace nv
