// How the application password is kept: never as the text the user typed, but as a salted,
// slow PBKDF2-HMAC-SHA256 hash, "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>". Anyone who
// can read the user's registry would otherwise read the password itself.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace nv {

constexpr wchar_t kPasswordHashPrefix[] = L"pbkdf2-sha256$";
constexpr std::uint32_t kPasswordHashIterations = 600000;
constexpr std::size_t kPasswordSaltBytes = 16;
constexpr std::size_t kPasswordHashBytes = 32;

// Whether a stored password text is a hash in the form above (only the prefix is looked at).
bool IsPasswordHash(const std::wstring& stored);

// The stored form of a password: a fresh random salt, the given iteration count.
std::wstring HashPassword(ICrypto& crypto, const std::wstring& password,
                          std::uint32_t iterations = kPasswordHashIterations);

// Whether what the user typed is the password kept as `stored`. The comparison is exact: case
// counts and nothing is trimmed. A stored text without the prefix is a plain password left by an
// older version and is compared as it stands; a hash that does not parse matches nothing.
bool PasswordMatches(ICrypto& crypto, const std::wstring& stored, const std::wstring& typed);

}  // namespace nv
