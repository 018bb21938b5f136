// Shared pieces of the tests of the real platform layer under Wine.
#pragma once

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/win32/Win32Platform.h"

namespace nvtest {

// A folder of its own under %TEMP%, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        m_path = std::wstring(base) + L"nivora-test-" + std::to_wstring(::GetCurrentProcessId()) +
                 L"-" + std::to_wstring(++counter);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

  private:
    std::wstring m_path;
};

// The folder of the test program, where the program's libraries are built beside it.
inline std::wstring TestFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\'));
}

// What a library of the test folder shows the loader: whether its image is 64-bit, and the
// names it exports. Empty names when it cannot be loaded.
struct LibraryExports {
    bool amd64 = false;
    std::set<std::string> names;
};
inline LibraryExports ReadLibraryExports(const std::wstring& fileName) {
    LibraryExports result;
    HMODULE module = ::LoadLibraryW((TestFolder() + L"\\" + fileName).c_str());
    if (!module) return result;
    auto base = reinterpret_cast<const BYTE*>(module);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    result.amd64 = nt->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress != 0) {
        auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            result.names.insert(reinterpret_cast<const char*>(base + names[i]));
    }
    ::FreeLibrary(module);
    return result;
}

// Every test holds the real platform the program would get.
class PlatformTest : public ::testing::Test {
  protected:
    nv::Win32Platform m_os;
    nv::Platform m_platform = m_os.AsPlatform();
};

}  // namespace nvtest
