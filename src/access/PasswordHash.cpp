#include "access/PasswordHash.h"

#include <optional>
#include <vector>

namespace nv {

namespace {

// A stored iteration count above this is not ours: refusing it keeps a tampered value from
// stalling the program for minutes at every prompt.
constexpr std::uint32_t kMaxIterations = 10'000'000;

std::vector<std::uint8_t> Bytes(const std::wstring& text) {
    std::string utf8 = ToUtf8(text);
    return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
}

struct ParsedHash {
    std::uint32_t iterations = 0;
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> hash;
};

std::optional<ParsedHash> Parse(const std::wstring& stored) {
    std::wstring rest = stored.substr(std::wstring(kPasswordHashPrefix).size());
    std::size_t first = rest.find(L'$');
    if (first == std::wstring::npos) return std::nullopt;
    std::size_t second = rest.find(L'$', first + 1);
    if (second == std::wstring::npos) return std::nullopt;

    ParsedHash parsed;
    parsed.iterations = ParseUnsigned(rest.substr(0, first)).value_or(0);
    if (parsed.iterations == 0 || parsed.iterations > kMaxIterations) return std::nullopt;

    auto salt = FromHex(rest.substr(first + 1, second - first - 1));
    auto hash = FromHex(rest.substr(second + 1));
    // A shortened hash would still verify, and ever more weakly: only the full length counts.
    if (!salt || !hash || hash->size() != kPasswordHashBytes) return std::nullopt;
    parsed.salt = std::move(*salt);
    parsed.hash = std::move(*hash);
    return parsed;
}

// Compares in time that does not depend on where the first difference lies.
bool SameBytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return false;
    std::uint8_t diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return diff == 0;
}

}  // namespace

bool IsPasswordHash(const std::wstring& stored) {
    return stored.rfind(kPasswordHashPrefix, 0) == 0;
}

std::wstring HashPassword(ICrypto& crypto, const std::wstring& password, std::uint32_t iterations) {
    std::vector<std::uint8_t> salt = crypto.GenRandom(kPasswordSaltBytes);
    std::vector<std::uint8_t> hash =
        crypto.Pbkdf2Sha256(Bytes(password), salt, iterations, kPasswordHashBytes);
    return kPasswordHashPrefix + std::to_wstring(iterations) + L"$" + ToHex(salt) + L"$" +
           ToHex(hash);
}

bool PasswordMatches(ICrypto& crypto, const std::wstring& stored, const std::wstring& typed) {
    if (!IsPasswordHash(stored)) return stored == typed;
    std::optional<ParsedHash> parsed = Parse(stored);
    if (!parsed) return false;
    std::vector<std::uint8_t> hash =
        crypto.Pbkdf2Sha256(Bytes(typed), parsed->salt, parsed->iterations, parsed->hash.size());
    return SameBytes(hash, parsed->hash);
}

}  // namespace nv
