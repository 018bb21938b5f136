// TWinInfo: one top-level window as seen when it was listed. The item record of the visible-
// windows list and of the hidden-windows list.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"
#include "widgets/Controls.h"

namespace nv {

struct TWinInfo : TItemData {
    WindowHandle handle = 0;
    std::wstring title;        // window text, trimmed of codes 0-32 at both ends
    std::wstring programPath;  // executable of the owning process; empty when unknown
    std::uint32_t savedExStyle = 0;
};

}  // namespace nv
