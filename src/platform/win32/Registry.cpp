// advapi32: the few registry reads and writes the program makes.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace nv {

namespace {

struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<HKEY__, KeyCloser>;

HKEY Root(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

UniqueKey OpenKey(RegistryHive hive, const std::wstring& key, REGSAM access,
                  LONG* status = nullptr) {
    HKEY handle = nullptr;
    LONG result = ::RegOpenKeyExW(Root(hive), key.c_str(), 0, access, &handle);
    if (status) *status = result;
    return UniqueKey(result == ERROR_SUCCESS ? handle : nullptr);
}

// The raw data and type of a value; nullopt when the key or the value is missing.
std::optional<std::vector<BYTE>> QueryValue(RegistryHive hive, const std::wstring& key,
                                            const std::wstring& name, DWORD& type) {
    UniqueKey handle = OpenKey(hive, key, KEY_QUERY_VALUE);
    if (!handle) return std::nullopt;
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD size = static_cast<DWORD>(data.size());
        LONG result =
            ::RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_SUCCESS) {
            data.resize(size);
            return data;
        }
        // The value may grow between two reads; ask again with the size it reports.
        if (result != ERROR_MORE_DATA) return std::nullopt;
        data.resize(std::max<std::size_t>(size, data.size() * 2));
    }
}

}  // namespace

bool Win32Registry::KeyExists(RegistryHive hive, const std::wstring& key) {
    return OpenKey(hive, key, KEY_READ) != nullptr;
}

bool Win32Registry::ValueExists(RegistryHive hive, const std::wstring& key,
                                const std::wstring& name) {
    UniqueKey handle = OpenKey(hive, key, KEY_QUERY_VALUE);
    return handle && ::RegQueryValueExW(handle.get(), name.c_str(), nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
}

std::optional<std::wstring> Win32Registry::ReadString(RegistryHive hive, const std::wstring& key,
                                                      const std::wstring& name) {
    DWORD type = 0;
    auto data = QueryValue(hive, key, name, type);
    if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    // The stored data need not end in a terminator, nor have an even length; the text ends at
    // the first NUL or at the data's end.
    std::wstring text(data->size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data->data(), text.size() * sizeof(wchar_t));
    text.resize(::wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<std::uint32_t> Win32Registry::ReadDword(RegistryHive hive, const std::wstring& key,
                                                      const std::wstring& name) {
    DWORD type = 0;
    auto data = QueryValue(hive, key, name, type);
    if (!data || type != REG_DWORD || data->size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::memcpy(&value, data->data(), sizeof(value));
    return value;
}

std::uint32_t Win32Registry::WriteString(RegistryHive hive, const std::wstring& key,
                                         const std::wstring& name, const std::wstring& value,
                                         bool createKey) {
    HKEY handle = nullptr;
    LONG result = createKey ? ::RegCreateKeyExW(Root(hive), key.c_str(), 0, nullptr, 0,
                                                KEY_SET_VALUE, nullptr, &handle, nullptr)
                            : ::RegOpenKeyExW(Root(hive), key.c_str(), 0, KEY_SET_VALUE, &handle);
    if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
    UniqueKey owner(handle);
    return static_cast<std::uint32_t>(::RegSetValueExW(
        handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

std::uint32_t Win32Registry::DeleteValue(RegistryHive hive, const std::wstring& key,
                                         const std::wstring& name) {
    LONG status = 0;
    UniqueKey handle = OpenKey(hive, key, KEY_SET_VALUE, &status);
    if (!handle) return static_cast<std::uint32_t>(status);
    return static_cast<std::uint32_t>(::RegDeleteValueW(handle.get(), name.c_str()));
}

}  // namespace nv
