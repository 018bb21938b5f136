#include "shell/WindowsVersion.h"

#include <exception>

#include "ui/Links.h"

namespace nv {

namespace {
const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
// How long the start waits for WMI. It runs before any window and before the single-instance
// check, also at log-on, when the service may just be starting.
constexpr std::uint32_t kWmiTimeoutMs = 5000;

// The leading two characters as a number, or -1 when they are not digits.
int LeadingTwoDigits(const std::wstring& text) {
    auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    if (text.size() < 2 || !digit(text[0]) || !digit(text[1])) return -1;
    return (text[0] - L'0') * 10 + (text[1] - L'0');
}

}  // namespace

std::wstring TWindowsVersion::GetDisplayVersion() {
    auto& reg = m_platform.registry;
    if (auto v = reg.ReadString(RegistryHive::LocalMachine, kCurrentVersionKey, L"DisplayVersion"))
        return *v;
    if (auto v = reg.ReadString(RegistryHive::LocalMachine, kCurrentVersionKey, L"ReleaseId"))
        return *v;
    return {};
}

void TWindowsVersion::GetVersionNumbers(std::uint32_t& major, std::uint32_t& minor,
                                        std::uint32_t& build) {
    OsVersion os = m_platform.kernel.GetVersionExW();
    major = os.major;
    minor = os.minor;
    build = os.build;
    auto& reg = m_platform.registry;
    if (auto v = reg.ReadDword(RegistryHive::LocalMachine, kCurrentVersionKey,
                               L"CurrentMajorVersionNumber"))
        major = *v;
    if (auto v = reg.ReadDword(RegistryHive::LocalMachine, kCurrentVersionKey,
                               L"CurrentMinorVersionNumber"))
        minor = *v;
    if (auto v = reg.ReadString(RegistryHive::LocalMachine, kCurrentVersionKey,
                                L"CurrentBuildNumber")) {
        if (auto parsed = ParseUnsigned(*v)) build = *parsed;
    }
}

std::wstring TWindowsVersion::GetApiVersion() {
    OsVersion os = m_platform.kernel.GetVersionExW();
    return std::to_wstring(os.major) + L"." + std::to_wstring(os.minor) + L"." +
           std::to_wstring(os.build);
}

std::wstring TWindowsVersion::GetWmiVersion() {
    // A broken WMI (locator not registered, connection or query failing) must not stop the
    // program from starting, and a stuck one must not hold it up: both count as "no answer",
    // that is, no compatibility mode.
    try {
        return m_platform.wmi.QueryOperatingSystemVersion(kWmiTimeoutMs).value_or(L"");
    } catch (const std::exception&) {
        return {};
    }
}

bool TWindowsVersion::IsCompatibilityMode() {
    // A compatibility mode makes GetVersionExW report an older release, build number and all;
    // the registry's numbers stay true. Where they agree with it, there is no compatibility
    // mode to ask WMI about, and the start loads none of WMI's many libraries.
    if (ReportedVersionIsTrue()) return false;
    // The query brings its own COM apartment: this thread's COM is not touched.
    std::wstring wmiVersion = GetWmiVersion();
    return !wmiVersion.empty() && wmiVersion != GetApiVersion();
}

bool TWindowsVersion::ReportedVersionIsTrue() {
    OsVersion os = m_platform.kernel.GetVersionExW();
    auto& reg = m_platform.registry;
    auto build = reg.ReadString(RegistryHive::LocalMachine, kCurrentVersionKey,
                                L"CurrentBuildNumber");
    std::optional<std::uint32_t> buildNumber = build ? ParseUnsigned(*build) : std::nullopt;
    if (!buildNumber || *buildNumber != os.build) return false;
    // Windows 7 and 8 have the build number only.
    auto major = reg.ReadDword(RegistryHive::LocalMachine, kCurrentVersionKey,
                               L"CurrentMajorVersionNumber");
    auto minor = reg.ReadDword(RegistryHive::LocalMachine, kCurrentVersionKey,
                               L"CurrentMinorVersionNumber");
    return (!major || *major == os.major) && (!minor || *minor == os.minor);
}

bool TWindowsVersion::IsWindowsVersionUnsupported() {
    m_versionText.clear();
    std::wstring display = GetDisplayVersion();
    std::uint32_t major = 0, minor = 0, build = 0;
    GetVersionNumbers(major, minor, build);
    m_versionText = display + L" - " + std::to_wstring(major) + L"." + std::to_wstring(minor) +
                    L"." + std::to_wstring(build);
    if (IsCompatibilityMode()) {
        m_versionText += L" [COMPATIBILITY MODE]";
        return true;
    }
    if (LeadingTwoDigits(display) > 26) return true;
    if (SameText(m_platform.kernel, display, L"26H1")) return build > 28000;
    if (SameText(m_platform.kernel, display, L"26H2")) return build > 26340;
    return false;
}

std::wstring TWindowsVersion::RefusalMessage() const {
    return L"This Windows version (" + m_versionText +
           L") is not supported by this version of the application.\n\n"
           L"A newer version of Nivora that supports this Windows release may be available.\n"
           L"Your settings and lists are kept and will be used by the new version.\n\n"
           L"Visit " +
           std::wstring(kHomePageUrl) + L" to download the latest version.";
}

}  // namespace nv
