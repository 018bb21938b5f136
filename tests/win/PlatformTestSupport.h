// Shared pieces of the tests of the real platform layer under Wine.
#pragma once

#include <windows.h>

#include <filesystem>
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

// Every test holds the real platform the program would get.
class PlatformTest : public ::testing::Test {
  protected:
    nv::Win32Platform m_os;
    nv::Platform m_platform = m_os.AsPlatform();
};

}  // namespace nvtest
