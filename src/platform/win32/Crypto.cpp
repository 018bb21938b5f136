// bcrypt: random bytes and PBKDF2-HMAC-SHA-256 for the application password.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <bcrypt.h>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const {
        ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

[[noreturn]] void Fail(const char* what, NTSTATUS status) {
    throw OsError(what, static_cast<std::uint32_t>(status));
}

}  // namespace

std::vector<std::uint8_t> Win32Crypto::GenRandom(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    if (count == 0) return bytes;
    NTSTATUS status = ::BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(count),
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (!Succeeded(status)) Fail("The system random number generator failed", status);
    return bytes;
}

std::vector<std::uint8_t> Win32Crypto::Pbkdf2Sha256(const std::vector<std::uint8_t>& password,
                                                    const std::vector<std::uint8_t>& salt,
                                                    std::uint32_t iterations,
                                                    std::size_t keyLength) {
    BCRYPT_ALG_HANDLE handle = nullptr;
    NTSTATUS status = ::BCryptOpenAlgorithmProvider(&handle, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!Succeeded(status)) Fail("Cannot open the HMAC-SHA-256 provider", status);
    std::unique_ptr<void, AlgorithmCloser> algorithm(handle);

    // An empty password or salt still needs a valid pointer.
    UCHAR empty = 0;
    std::vector<std::uint8_t> key(keyLength);
    status = ::BCryptDeriveKeyPBKDF2(
        handle, password.empty() ? &empty : const_cast<UCHAR*>(password.data()),
        static_cast<ULONG>(password.size()),
        salt.empty() ? &empty : const_cast<UCHAR*>(salt.data()), static_cast<ULONG>(salt.size()),
        iterations, key.data(), static_cast<ULONG>(keyLength), 0);
    if (!Succeeded(status)) Fail("Cannot derive the password key", status);
    return key;
}

}  // namespace nv
