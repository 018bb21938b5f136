// The program's text helpers, in one place: UTF-8 for exception texts, the parts of a path,
// ordinal comparisons without regard to letter case, and the number parsers of the files and
// the registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nv {

class IKernel;

// The program works in UTF-16 on Windows and in wide strings everywhere; exceptions carry UTF-8.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Text of a path after its last "\" or ":" (the whole text when it has neither).
std::wstring ExtractFileName(const std::wstring& path);
// Text of a path before its last "\" (empty when it has none).
std::wstring ExtractFileDir(const std::wstring& path);

// Ordinal comparisons that ignore letter case the way Windows compares file names: through the
// platform's ordinal functions, never the C library's, whose case mapping depends on a locale
// nobody sets.
bool SameText(IKernel& kernel, const std::wstring& a, const std::wstring& b);
bool ContainsText(IKernel& kernel, const std::wstring& text, const std::wstring& part);
// Whether text begins with prefix, in any letter case; when it does, the prefix is removed.
bool TakePrefix(IKernel& kernel, std::wstring& text, const std::wstring& prefix);

// Digits 0-9 only, the whole text, at most what fits in 32 bits; anything else is no number.
std::optional<std::uint32_t> ParseUnsigned(const std::wstring& text);
// An integer as nva.dat holds it: decimal with an optional sign, or hexadecimal after "0x" or
// "0X" (up to 32 bits, taken as a signed value). Anything else, and a decimal outside the 32-bit
// range, is no integer.
std::optional<std::int32_t> ParseInteger(const std::wstring& text);
// Bytes as lower-case hexadecimal, two digits each, and back; odd lengths and other characters
// are refused, and so is the empty text.
std::wstring ToHex(const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> FromHex(const std::wstring& text);

}  // namespace nv
