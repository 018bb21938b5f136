// The display modes of the primary display: their texts, the number of the mode in use, the
// three-level menu that lists them and the timed test of a mode.
//
// A mode is named by its number in the system's ordinary enumeration (EnumDisplaySettingsW),
// the menu included, so a number always names the mode its text shows. A number the system does
// not list (a stored number from another display, or -1 when no listed mode is in use) reads
// "(not available)" and is never switched to.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nv {

// Every switch is stored for the session and asks for full-screen use (CDS_UPDATEREGISTRY |
// CDS_FULLSCREEN).
inline constexpr std::uint32_t kDisplayModeApplyFlags = kCdsUpdateRegistry | kCdsFullscreen;
// The text of an unlisted mode number.
inline constexpr wchar_t kModeNotAvailable[] = L"(not available)";

// Mode n as the system lists it; nothing for a number it does not list.
std::optional<DisplayMode> ListedDisplayMode(IDisplay& display, std::int32_t modeNumber);
// "800x600x16 @ 120 Hz".
std::wstring DisplayModeText(IDisplay& display, std::int32_t modeNumber);
// The first listed mode whose bits, width, height and refresh rate equal the settings in use;
// -1 when none does.
std::int32_t CurrentDisplayModeNumber(IDisplay& display);

// Adds the listed modes to the menu as resolution > depth > refresh rate, each rate item tagged
// with its mode number and calling onSelect with it. A resolution first met later goes above
// those met earlier; the menu's own items stay below. Modes with a refresh rate of 1 are left
// out (they still use up their number).
void FillDisplayModeMenu(IDisplay& display, TPopupMenu& menu,
                         const std::function<void(std::int32_t modeNumber)>& onSelect);

// Switches to the selected mode, runs the dialog (which waits for the user or its own
// countdown) and puts the settings of before back, whatever the answer. Nothing happens when
// the selected number is not listed or the settings in use cannot be read. Returns whether the
// test ran.
bool TestDisplayMode(IDisplay& display, std::int32_t selectedModeNumber,
                     const std::function<void()>& runDialog);

}  // namespace nv
