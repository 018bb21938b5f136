#include "conceal/RecoveryRecord.h"

#include <string_view>

namespace nv {

namespace {

constexpr std::string_view kHeader = "Nivora recovery record 1";
constexpr std::string_view kCheckTag = "check ";
constexpr char kHexDigits[] = "0123456789abcdef";

std::uint32_t Fnv1a(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

void AppendHex(std::string& out, std::uint64_t value, int minDigits) {
    char digits[16];
    int n = 0;
    do {
        digits[n++] = kHexDigits[value & 0xF];
        value >>= 4;
    } while (value != 0 && n < 16);
    for (int i = n; i < minDigits; ++i) out += '0';
    while (n > 0) out += digits[--n];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;  // upper case is never written, so it is never read either
}

std::optional<std::uint64_t> ParseHex(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = HexValue(c);
        if (digit < 0) return std::nullopt;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

bool ValidTag(std::string_view tag) {
    if (tag.empty() || tag.size() > 16) return false;
    for (char c : tag)
        if (c < 'a' || c > 'z') return false;
    return true;
}

std::optional<TRecordField> ParseField(std::string_view token) {
    if (token.empty() || token[0] != '"') {
        if (auto number = ParseHex(token, 16)) return TRecordField(*number);
        return std::nullopt;
    }
    token.remove_prefix(1);
    if (token.size() % 4 != 0 || token.size() / 4 > kMaxRecordTextUnits) return std::nullopt;
    std::wstring text;
    text.reserve(token.size() / 4);
    for (std::size_t i = 0; i < token.size(); i += 4) {
        auto unit = ParseHex(token.substr(i, 4), 4);
        if (!unit) return std::nullopt;
        text += static_cast<wchar_t>(*unit);
    }
    return TRecordField(std::move(text));
}

std::optional<TRecordLine> ParseLine(std::string_view line) {
    TRecordLine parsed;
    std::size_t pos = 0;
    bool first = true;
    while (pos <= line.size()) {
        std::size_t end = line.find(' ', pos);
        if (end == std::string_view::npos) end = line.size();
        std::string_view token = line.substr(pos, end - pos);
        if (first) {
            if (!ValidTag(token)) return std::nullopt;
            parsed.tag = token;
            first = false;
        } else {
            if (parsed.fields.size() == kMaxRecordFields) return std::nullopt;
            auto field = ParseField(token);
            if (!field) return std::nullopt;
            parsed.fields.push_back(std::move(*field));
        }
        pos = end + 1;
    }
    return parsed;
}

}  // namespace

std::optional<std::uint64_t> TRecordLine::Number(std::size_t i) const {
    if (i >= fields.size()) return std::nullopt;
    if (const auto* n = std::get_if<std::uint64_t>(&fields[i])) return *n;
    return std::nullopt;
}

std::optional<std::wstring> TRecordLine::Text(std::size_t i) const {
    if (i >= fields.size()) return std::nullopt;
    if (const auto* t = std::get_if<std::wstring>(&fields[i])) return *t;
    return std::nullopt;
}

void TRecoveryRecord::Add(std::string tag, std::vector<TRecordField> fields) {
    m_lines.push_back(TRecordLine{std::move(tag), std::move(fields)});
}

std::vector<const TRecordLine*> TRecoveryRecord::Lines(const std::string& tag) const {
    std::vector<const TRecordLine*> lines;
    for (const TRecordLine& line : m_lines)
        if (line.tag == tag) lines.push_back(&line);
    return lines;
}

std::string TRecoveryRecord::Serialize() const {
    std::string out(kHeader);
    out += "\r\n";
    for (const TRecordLine& line : m_lines) {
        out += line.tag;
        for (const TRecordField& field : line.fields) {
            out += ' ';
            if (const auto* n = std::get_if<std::uint64_t>(&field)) {
                AppendHex(out, *n, 1);
            } else {
                out += '"';
                for (wchar_t unit : std::get<std::wstring>(field))
                    AppendHex(out, static_cast<std::uint16_t>(unit), 4);
            }
        }
        out += "\r\n";
    }
    const std::uint32_t sum = Fnv1a(out);
    out += kCheckTag;
    AppendHex(out, sum, 8);
    out += "\r\n";
    return out;
}

std::optional<TRecoveryRecord> TRecoveryRecord::Parse(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > kMaxRecordBytes) return std::nullopt;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // The check line covers everything before it, and nothing may follow it.
    std::size_t checkAt = text.rfind("\r\ncheck ");
    if (checkAt == std::string_view::npos) return std::nullopt;
    std::string_view body = text.substr(0, checkAt + 2);
    std::string_view check = text.substr(checkAt + 2 + kCheckTag.size());
    if (check.size() != 10 || check.substr(8) != "\r\n") return std::nullopt;
    auto sum = ParseHex(check.substr(0, 8), 8);
    if (!sum || *sum != Fnv1a(body)) return std::nullopt;

    TRecoveryRecord record;
    std::size_t pos = 0;
    bool header = true;
    while (pos < body.size()) {
        std::size_t end = body.find("\r\n", pos);
        if (end == std::string_view::npos) return std::nullopt;
        std::string_view line = body.substr(pos, end - pos);
        pos = end + 2;
        if (header) {
            if (line != kHeader) return std::nullopt;
            header = false;
            continue;
        }
        auto parsed = ParseLine(line);
        if (!parsed) return std::nullopt;
        record.m_lines.push_back(std::move(*parsed));
    }
    if (header) return std::nullopt;
    return record;
}

}  // namespace nv
