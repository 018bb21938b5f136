// The 513-byte record behind each entry of the Do-not-hide and Bring-to-top lists, identical
// in memory and in the list files: Title and Path as a length byte and 255 bytes of text in the
// system's ANSI code page, then the AllWindows flag.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "widgets/Controls.h"

namespace nv {

struct TWindowEntry : TItemData {
    static constexpr std::size_t kSize = 513;
    static constexpr std::size_t kTitleOffset = 0;
    static constexpr std::size_t kPathOffset = 256;
    static constexpr std::size_t kAllWindowsOffset = 512;
    std::array<std::uint8_t, kSize> bytes{};

    // The bytes the length byte covers, as stored.
    std::string TitleBytes() const { return Field(kTitleOffset); }
    std::string PathBytes() const { return Field(kPathOffset); }
    // Stores text already converted to the code page, cut to 255 bytes.
    void SetTitleBytes(const std::string& text) { SetField(kTitleOffset, text); }
    void SetPathBytes(const std::string& text) { SetField(kPathOffset, text); }
    std::uint8_t AllWindows() const { return bytes[kAllWindowsOffset]; }
    void SetAllWindows(std::uint8_t value) { bytes[kAllWindowsOffset] = value; }

private:
    std::string Field(std::size_t offset) const {
        return std::string(reinterpret_cast<const char*>(&bytes[offset + 1]), bytes[offset]);
    }
    void SetField(std::size_t offset, const std::string& text) {
        std::size_t n = text.size() < 255 ? text.size() : 255;
        bytes[offset] = static_cast<std::uint8_t>(n);
        for (std::size_t i = 0; i < 255; ++i)
            bytes[offset + 1 + i] = i < n ? static_cast<std::uint8_t>(text[i]) : 0;
    }
};

}  // namespace nv
