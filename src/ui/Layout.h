// What the main window's pages share to lay out their controls: the accent colour and two
// placing helpers. Bounds are model pixels at 96 dpi.
#pragma once

#include <cstdint>

#include "widgets/Controls.h"

namespace nv {

constexpr std::uint32_t kAccent = 0x008C4B0B;  // red 11, green 75, blue 140, as 0x00BBGGRR

inline void Place(TControl& c, int left, int top, int width, int height) {
    c.SetBounds(left, top, width, height);
}

// Docked to one side of its parent; size is the width for left and right, else the height.
inline void Docked(TControl& c, Align align, int size) {
    if (align == Align::Left || align == Align::Right)
        c.SetBounds(0, 0, size, 10);
    else
        c.SetBounds(0, 0, 10, size);
    c.SetAlign(align);
}

}  // namespace nv
