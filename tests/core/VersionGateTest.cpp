// The Windows version gate: which releases are refused, the version text, and the refusal at
// start-up.
#include <gtest/gtest.h>

#include "shell/WindowsVersion.h"
#include "support/Harness.h"

namespace nv::test {
namespace {

const wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

struct GateCase {
    const wchar_t* displayVersion;  // nullptr: no DisplayVersion value
    const wchar_t* releaseId;       // nullptr: no ReleaseId value
    std::uint32_t build;
    bool refused;
};

class VersionGate : public ::testing::TestWithParam<GateCase> {};

TEST_P(VersionGate, RefusesNewerReleasesOnly) {
    const GateCase& c = GetParam();
    FakeDesktop d;
    if (c.displayVersion) d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"DisplayVersion", c.displayVersion);
    if (c.releaseId) d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"ReleaseId", c.releaseId);
    d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"CurrentBuildNumber", std::to_wstring(c.build));
    d.version = {10, 0, c.build, 2};
    d.wmiVersion = L"10.0." + std::to_wstring(c.build);
    Platform p = d.AsPlatform();
    TWindowsVersion gate(p);
    EXPECT_EQ(gate.IsWindowsVersionUnsupported(), c.refused) << ToUtf8(gate.VersionText());
}

INSTANTIATE_TEST_SUITE_P(
    Releases, VersionGate,
    ::testing::Values(GateCase{L"25H2", nullptr, 26200, false},
                      GateCase{L"26H1", nullptr, 28000, false},
                      GateCase{L"26H1", nullptr, 28001, true},
                      GateCase{L"26H2", nullptr, 26340, false},
                      GateCase{L"26H2", nullptr, 26341, true},
                      GateCase{L"26h2", nullptr, 26341, true},
                      GateCase{L"27H1", nullptr, 1, true},
                      GateCase{L"99H9", nullptr, 30000, true},
                      GateCase{nullptr, L"2009", 19042, false},
                      GateCase{nullptr, nullptr, 7601, false},
                      GateCase{L"H2", nullptr, 99999, false},
                      GateCase{L"", nullptr, 99999, false}));

TEST(VersionGateText, BuiltFromRegistryNumbersOverTheReportedOnes) {
    FakeDesktop d;
    d.version = {6, 2, 9200, 2};
    d.wmiVersion = L"6.2.9200";
    d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"DisplayVersion", L"24H2");
    d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMajorVersionNumber", 10);
    d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMinorVersionNumber", 0);
    d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"CurrentBuildNumber", L"26100");
    Platform p = d.AsPlatform();
    TWindowsVersion gate(p);
    EXPECT_FALSE(gate.IsWindowsVersionUnsupported());
    EXPECT_EQ(gate.VersionText(), L"24H2 - 10.0.26100");
}

TEST(VersionGateText, WithoutDisplayVersionStartsWithTheSeparator) {
    FakeDesktop d;
    d.version = {6, 1, 7601, 2};
    d.wmiVersion = L"6.1.7601";
    Platform p = d.AsPlatform();
    TWindowsVersion gate(p);
    EXPECT_FALSE(gate.IsWindowsVersionUnsupported());
    EXPECT_EQ(gate.VersionText(), L" - 6.1.7601");
}

TEST(VersionGateCompatibility, OlderReportedVersionThanWmiIsRefused) {
    FakeDesktop d;
    d.version = {6, 1, 7601, 2};  // what a compatibility shim makes GetVersionExW say
    d.wmiVersion = L"10.0.19045";
    d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"DisplayVersion", L"22H2");
    Platform p = d.AsPlatform();
    TWindowsVersion gate(p);
    EXPECT_TRUE(gate.IsWindowsVersionUnsupported());
    EXPECT_EQ(gate.VersionText(), L"22H2 - 6.1.7601 [COMPATIBILITY MODE]");
}

// WMI, a service with many libraries behind it, is asked only where the release's numbers in
// the registry do not rule out a compatibility mode; a shim lowers the build number too.
TEST(VersionGateCompatibility, WmiIsAskedOnlyWhenTheRegistryDisagreesWithTheReportedVersion) {
    struct Case {
        OsVersion reported;
        bool withMajorMinor;
        bool asked;
    };
    for (const Case& c : {Case{{10, 0, 19045, 2}, true, false}, Case{{6, 1, 7601, 2}, false, false},
                          Case{{6, 1, 7601, 2}, true, true}, Case{{10, 0, 17763, 2}, true, true}}) {
        FakeDesktop d;
        d.version = c.reported;
        d.wmiVersion = L"10.0.19045";
        d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"CurrentBuildNumber",
                            std::to_wstring(c.withMajorMinor ? 19045 : c.reported.build));
        if (c.withMajorMinor) {
            d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMajorVersionNumber", 10);
            d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMinorVersionNumber", 0);
        }
        Platform p = d.AsPlatform();
        TWindowsVersion gate(p);
        EXPECT_EQ(gate.IsWindowsVersionUnsupported(), c.asked) << c.reported.build;
        EXPECT_EQ(d.wmiQueries != 0, c.asked) << c.reported.build;
    }
}

TEST(VersionGateCompatibility, ABrokenSilentOrLateWmiCountsAsNoCompatibilityMode) {
    enum class Wmi { Fails, Silent, Late };
    for (Wmi wmi : {Wmi::Fails, Wmi::Silent, Wmi::Late}) {
        FakeDesktop d;
        d.version = {6, 1, 7601, 2};
        // What would mean compatibility mode, had it come.
        d.wmiVersion = wmi == Wmi::Silent ? L"" : L"10.0.19045";
        d.wmiFails = wmi == Wmi::Fails;
        d.wmiTimesOut = wmi == Wmi::Late;
        // The registry names a later release than reported: a compatibility mode is possible,
        // so WMI is asked.
        d.SetRegistryString(RegistryHive::LocalMachine, kKey, L"CurrentBuildNumber", L"19045");
        d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMajorVersionNumber", 10);
        d.SetRegistryDword(RegistryHive::LocalMachine, kKey, L"CurrentMinorVersionNumber", 0);
        Platform p = d.AsPlatform();
        TWindowsVersion gate(p);
        EXPECT_FALSE(gate.IsWindowsVersionUnsupported()) << static_cast<int>(wmi);
        EXPECT_EQ(d.wmiQueries, 1) << static_cast<int>(wmi);
        // No compatibility mode is claimed.
        EXPECT_EQ(gate.VersionText(), L" - 10.0.19045");
    }
}

TEST(VersionGateStartup, RefusalShowsTheMessageOpensThePageAndTakesNoMutex) {
    Harness h;
    h.desktop.SetRegistryString(RegistryHive::LocalMachine, kKey, L"DisplayVersion", L"27H1");
    EXPECT_FALSE(h.Start());
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    const MessageBoxRecord& box = h.desktop.messageBoxes[0];
    EXPECT_EQ(box.kind, MessageBoxKind::Plain);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    const std::wstring start = L"This Windows version (27H1 - 10.0.19045) is not supported by "
                               L"this version of the application.\n\n";
    EXPECT_EQ(box.text.substr(0, start.size()), start);
    // Three paragraphs: one line feed between the first two, two before the last.
    std::wstring advice = box.text.substr(start.size());
    auto first = advice.find(L'\n');
    ASSERT_NE(first, std::wstring::npos);
    EXPECT_NE(advice[first + 1], L'\n');
    auto second = advice.find(L"\n\n", first + 1);
    ASSERT_NE(second, std::wstring::npos);
    EXPECT_EQ(advice.find(L'\n', second + 2), std::wstring::npos);
    ASSERT_EQ(h.desktop.launches.size(), 1u);
    EXPECT_EQ(h.desktop.launches[0].verb, L"open");
    EXPECT_EQ(h.desktop.launches[0].showCmd, ShowCmd::Show);
    EXPECT_FALSE(h.desktop.mutexExists);
    EXPECT_EQ(h.program->MainForm(), nullptr);

    // A later start on a supported release works normally.
    Harness again;
    EXPECT_TRUE(again.Start());
}

}  // namespace
}  // namespace nv::test
