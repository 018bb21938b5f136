// The private-profile (INI) functions.
// clang-format off
#include "platform/win32/Win32Util.h"  // <windows.h>, which the headers below need
// clang-format on

#include "platform/win32/Win32Platform.h"

namespace nv {

std::wstring Win32Profile::GetPrivateProfileStringW(const std::wstring& section,
                                                    const std::wstring& key,
                                                    const std::wstring& defaultValue,
                                                    const std::wstring& file) {
    wchar_t buffer[2048] = {};
    DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(),
                                              buffer, 2048, file.c_str());
    return std::wstring(buffer, length);
}

bool Win32Profile::WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                              const std::wstring& value, const std::wstring& file) {
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                        file.c_str()) != FALSE;
}

}  // namespace nv
