#include "platform/Text.h"

#include "platform/Platform.h"

namespace nv {

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        // Join UTF-16 surrogate pairs (wchar_t is 16 bits on Windows).
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        std::uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            c = 0xFFFD;
            extra = 0;
        }
        ++i;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        }
        if (c >= 0x10000 && sizeof(wchar_t) == 2) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::wstring ExtractFileName(const std::wstring& path) {
    std::size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

std::wstring ExtractFileDir(const std::wstring& path) {
    std::size_t pos = path.find_last_of(L'\\');
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos);
}

bool SameText(IKernel& kernel, const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && kernel.CompareStringOrdinal(a, b, true) == 0;
}

bool ContainsText(IKernel& kernel, const std::wstring& text, const std::wstring& part) {
    return kernel.FindStringOrdinal(text, part, true) >= 0;
}

bool TakePrefix(IKernel& kernel, std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size() || !SameText(kernel, text.substr(0, prefix.size()), prefix))
        return false;
    text.erase(0, prefix.size());
    return true;
}

namespace {

int DigitValue(wchar_t c, int base) {
    int v = -1;
    if (c >= L'0' && c <= L'9')
        v = c - L'0';
    else if (c >= L'a' && c <= L'f')
        v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
        v = c - L'A' + 10;
    return v < base ? v : -1;
}

// Digits of the given base from `from` to the end, refused past `limit`.
std::optional<std::uint64_t> ParseDigits(const std::wstring& text, std::size_t from, int base,
                                         std::uint64_t limit) {
    if (from >= text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        int d = DigitValue(text[i], base);
        if (d < 0) return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > limit) return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::uint32_t> ParseUnsigned(const std::wstring& text) {
    auto value = ParseDigits(text, 0, 10, 0xFFFFFFFFull);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<std::int32_t> ParseInteger(const std::wstring& text) {
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        auto value = ParseDigits(text, 2, 16, 0xFFFFFFFFull);
        if (!value) return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
    }
    bool negative = !text.empty() && text[0] == L'-';
    std::size_t from = !text.empty() && (text[0] == L'+' || text[0] == L'-') ? 1 : 0;
    auto value = ParseDigits(text, from, 10, negative ? 2147483648ull : 2147483647ull);
    if (!value) return std::nullopt;
    std::int64_t signedValue = static_cast<std::int64_t>(*value);
    return static_cast<std::int32_t>(negative ? -signedValue : signedValue);
}

std::wstring ToHex(const std::vector<std::uint8_t>& bytes) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> FromHex(const std::wstring& text) {
    if (text.empty() || text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int high = DigitValue(text[i], 16);
        int low = DigitValue(text[i + 1], 16);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return out;
}

}  // namespace nv
