// The Windows version gate: refuses Windows releases newer than this version of the program
// knows, and a start in a compatibility mode.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace nv {

class TWindowsVersion {
public:
    explicit TWindowsVersion(Platform& platform) : m_platform(platform) {}

    // True to refuse. Fills VersionText() whatever the verdict.
    bool IsWindowsVersionUnsupported();
    const std::wstring& VersionText() const { return m_versionText; }
    // The whole message shown on refusal.
    std::wstring RefusalMessage() const;

    std::wstring GetDisplayVersion();
    void GetVersionNumbers(std::uint32_t& major, std::uint32_t& minor, std::uint32_t& build);
    std::wstring GetApiVersion();
    // Empty when WMI answers nothing, fails, or does not answer within a few seconds.
    std::wstring GetWmiVersion();
    // GetVersionExW against the release's numbers in the registry; WMI is asked only when they
    // differ.
    bool IsCompatibilityMode();
    bool ReportedVersionIsTrue();

private:
    Platform& m_platform;
    std::wstring m_versionText;
};

}  // namespace nv
