// The display settings of the primary display.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include "platform/win32/Win32Platform.h"

namespace nv {

bool Win32Display::EnumDisplaySettingsW(std::int32_t modeNumber, DisplayMode& mode) {
    DEVMODEW record{};
    record.dmSize = sizeof(record);
    if (!::EnumDisplaySettingsW(nullptr, static_cast<DWORD>(modeNumber), &record)) return false;
    mode.bitsPerPel = record.dmBitsPerPel;
    mode.pelsWidth = record.dmPelsWidth;
    mode.pelsHeight = record.dmPelsHeight;
    mode.displayFrequency = record.dmDisplayFrequency;
    mode.fields = record.dmFields;
    return true;
}

std::int32_t Win32Display::ChangeDisplaySettingsW(const DisplayMode& mode, std::uint32_t flags) {
    DEVMODEW record{};
    record.dmSize = sizeof(record);
    record.dmBitsPerPel = mode.bitsPerPel;
    record.dmPelsWidth = mode.pelsWidth;
    record.dmPelsHeight = mode.pelsHeight;
    record.dmDisplayFrequency = mode.displayFrequency;
    // Only the four fields travel; a field the system did not fill is not asked for.
    constexpr DWORD kFour = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    record.dmFields = mode.fields ? (mode.fields & kFour) : kFour;
    return ::ChangeDisplaySettingsW(&record, flags);
}

}  // namespace nv
