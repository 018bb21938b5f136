// The recovery record: what a hide has changed, kept in the data folder while hidden, so that a
// session that ends without its restore (killed, crashed, the power gone) is put right at the
// next start. Each step of the cycle writes its own lines and reads them back; this file only
// knows the shape of a line and of the file.
//
// The file is UTF-8 text, one line each:
//   Nivora recovery record 1
//   <tag> <field> <field> ...
//   check <FNV-1a of everything above, 8 hex digits>
// A tag is 1 to 16 lower-case letters. A field is a number (1 to 16 hex digits) or a text: a
// double quote followed by its UTF-16 units, 4 hex digits each, so any text survives whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace nv {

using TRecordField = std::variant<std::uint64_t, std::wstring>;

struct TRecordLine {
    std::string tag;
    std::vector<TRecordField> fields;

    // Field i as a number, or as a text; nullopt when it is missing or of the other kind.
    std::optional<std::uint64_t> Number(std::size_t i) const;
    std::optional<std::wstring> Text(std::size_t i) const;
    bool operator==(const TRecordLine&) const = default;
};

// Limits a record never comes near and a damaged file may ask for.
constexpr std::size_t kMaxRecordBytes = 16u << 20;
constexpr std::size_t kMaxRecordFields = 16;
constexpr std::size_t kMaxRecordTextUnits = 32768;

class TRecoveryRecord {
  public:
    void Add(std::string tag, std::vector<TRecordField> fields);
    // The lines with this tag, in the order they were added.
    std::vector<const TRecordLine*> Lines(const std::string& tag) const;
    const std::vector<TRecordLine>& AllLines() const { return m_lines; }
    bool Empty() const { return m_lines.empty(); }

    std::string Serialize() const;
    // The record a file holds; nullopt when it is not one, or damaged anywhere.
    static std::optional<TRecoveryRecord> Parse(const std::vector<std::uint8_t>& bytes);

    bool operator==(const TRecoveryRecord&) const = default;

  private:
    std::vector<TRecordLine> m_lines;
};

}  // namespace nv
