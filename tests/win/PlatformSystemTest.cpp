// The real registry, profile files, special folders, WMI and bcrypt layers against Wine, and the
// wait with a deadline that keeps a stuck WMI from holding up the start.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "PlatformTestSupport.h"
#include "platform/win32/Deadline.h"

namespace {

using nv::RegistryHive;
using nvtest::PlatformTest;
using nvtest::TempFolder;

const std::wstring kTestKey = L"Software\\NivoraTest";

class RegistryTest : public PlatformTest {
  protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey.c_str()); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey.c_str()); }
    void WriteRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey.c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }
};

TEST_F(RegistryTest, WriteReadDeleteRoundTrip) {
    nv::IRegistry& reg = m_platform.registry;
    const auto hkcu = RegistryHive::CurrentUser;
    EXPECT_FALSE(reg.KeyExists(hkcu, kTestKey));
    EXPECT_EQ(reg.WriteString(hkcu, kTestKey, L"Nivora", L"x", false), 2u);  // no key, no create
    EXPECT_FALSE(reg.KeyExists(hkcu, kTestKey));

    EXPECT_EQ(reg.WriteString(hkcu, kTestKey, L"Nivora", L"\"C:\\Pro gram\\Nivora.exe\"", true),
              0u);
    EXPECT_TRUE(reg.KeyExists(hkcu, kTestKey));
    EXPECT_TRUE(reg.ValueExists(hkcu, kTestKey, L"Nivora"));
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Nivora"), L"\"C:\\Pro gram\\Nivora.exe\"");
    EXPECT_EQ(reg.WriteString(hkcu, kTestKey, L"Empty", L"", false), 0u);  // the key exists now
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Empty"), L"");
    EXPECT_EQ(reg.ReadDword(hkcu, kTestKey, L"Nivora"), std::nullopt);  // a string is no number

    EXPECT_EQ(reg.DeleteValue(hkcu, kTestKey, L"Nivora"), 0u);
    EXPECT_FALSE(reg.ValueExists(hkcu, kTestKey, L"Nivora"));
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Nivora"), std::nullopt);
    EXPECT_EQ(reg.DeleteValue(hkcu, kTestKey, L"Nivora"), 2u);
    EXPECT_EQ(reg.DeleteValue(hkcu, kTestKey + L"\\Missing", L"Nivora"), 2u);
}

TEST_F(RegistryTest, ReadsNumbersLongStringsAndStringsWithoutTerminator) {
    nv::IRegistry& reg = m_platform.registry;
    const auto hkcu = RegistryHive::CurrentUser;
    DWORD number = 19045;
    WriteRaw(L"Build", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(reg.ReadDword(hkcu, kTestKey, L"Build"), 19045u);
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Build"), std::nullopt);

    const wchar_t bare[] = {L'2', L'2', L'H', L'2'};  // stored without its NUL
    WriteRaw(L"DisplayVersion", REG_SZ, bare, sizeof(bare));
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"DisplayVersion"), L"22H2");

    const wchar_t expand[] = L"%SystemRoot%\\x";
    WriteRaw(L"Path", REG_EXPAND_SZ, expand, sizeof(expand));
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Path"), L"%SystemRoot%\\x");

    std::wstring longText(3000, L'n');  // beyond the first read's buffer
    EXPECT_EQ(reg.WriteString(hkcu, kTestKey, L"Long", longText, false), 0u);
    EXPECT_EQ(reg.ReadString(hkcu, kTestKey, L"Long"), longText);
}

TEST_F(PlatformTest, RegistryReadsTheMachineVersionKey) {
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    EXPECT_TRUE(m_platform.registry.KeyExists(RegistryHive::LocalMachine, key));
    auto build =
        m_platform.registry.ReadString(RegistryHive::LocalMachine, key, L"CurrentBuildNumber");
    ASSERT_TRUE(build.has_value());
    std::printf(
        "[wine] CurrentBuildNumber %s, CurrentMajorVersionNumber %u\n", nv::ToUtf8(*build).c_str(),
        m_platform.registry.ReadDword(RegistryHive::LocalMachine, key, L"CurrentMajorVersionNumber")
            .value_or(0));
}

TEST_F(PlatformTest, ProfileRoundTripKeepsUnknownKeys) {
    TempFolder folder;
    const std::wstring ini = folder / L"Nivora.ini";
    {
        FILE* f = _wfopen(ini.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fputs("[Other]\r\nKeep=me\r\n[Settings]\r\nUnknown=1\r\n", f);
        std::fclose(f);
    }
    nv::IProfile& profile = m_platform.profile;
    EXPECT_TRUE(profile.WritePrivateProfileStringW(L"Settings", L"HideTray", L"1", ini));
    EXPECT_TRUE(profile.WritePrivateProfileStringW(L"Fresh", L"Key", L"caf\u00e9 value", ini));
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Settings", L"HideTray", L"0", ini), L"1");
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Fresh", L"Key", L"", ini), L"caf\u00e9 value");
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Settings", L"Unknown", L"", ini), L"1");
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Other", L"Keep", L"", ini), L"me");
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Settings", L"Missing", L"dflt", ini), L"dflt");

    std::wstring longValue(3000, L'v');  // read back cut to the 2048-character buffer
    EXPECT_TRUE(profile.WritePrivateProfileStringW(L"Settings", L"Long", longValue, ini));
    EXPECT_EQ(profile.GetPrivateProfileStringW(L"Settings", L"Long", L"", ini).size(), 2047u);
}

TEST_F(PlatformTest, ProfileWriteIntoMissingFolderFails) {
    TempFolder folder;
    const std::wstring ini = folder / L"missing\\Nivora.ini";
    EXPECT_FALSE(m_platform.profile.WritePrivateProfileStringW(L"S", L"K", L"V", ini));
    std::printf("[wine] profile write into a missing folder: error %lu\n", ::GetLastError());
    EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(PlatformTest, AppDataFolderExists) {
    std::wstring appData = m_platform.shell.SHGetSpecialFolderPathW(nv::kCsidlAppData);
    ASSERT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), L'\\');
    EXPECT_TRUE(std::filesystem::is_directory(appData)) << nv::ToUtf8(appData);
    std::printf("[wine] AppData: %s\n", nv::ToUtf8(appData).c_str());
}

TEST_F(PlatformTest, FileIconsExistForAnyExtension) {
    nv::IconHandle small = m_platform.shell.GetFileIcon(L"C:\\nowhere\\program.exe", true);
    nv::IconHandle large = m_platform.shell.GetFileIcon(L"C:\\nowhere\\program.exe", false);
    EXPECT_NE(small, 0u);
    EXPECT_NE(large, 0u);
    ICONINFO info{};
    if (small && ::GetIconInfo(reinterpret_cast<HICON>(small), &info)) {
        BITMAP bitmap{};
        ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        std::printf("[wine] small file icon %ldx%ld\n", bitmap.bmWidth, bitmap.bmHeight);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
    }
    m_platform.shell.DestroyIcon(small);
    m_platform.shell.DestroyIcon(large);
}

TEST_F(PlatformTest, WmiVersionAgreesWithGetVersionEx) {
    // The query brings its own COM: the calling thread has none, as at start-up.
    DWORD start = ::GetTickCount();
    std::optional<std::wstring> answer = m_platform.wmi.QueryOperatingSystemVersion(30000);
    std::printf("[wine] WMI answered after %lu ms\n",
                static_cast<unsigned long>(::GetTickCount() - start));
    ASSERT_TRUE(answer.has_value());
    const std::wstring version = *answer;
    std::printf("[wine] WMI version %s\n", nv::ToUtf8(version).c_str());
    ASSERT_EQ(version.rfind(L"10.0.", 0), 0u) << nv::ToUtf8(version);

    nv::OsVersion os = m_platform.kernel.GetVersionExW();
    EXPECT_EQ(os.major, 10u);
    EXPECT_EQ(os.minor, 0u);
    EXPECT_EQ(os.platformId, 2u);
    EXPECT_EQ(std::to_wstring(os.build), version.substr(5));
}

TEST(RunWithDeadline, GivesWhatWorkThatEndsInTimeGivesOrRaises) {
    EXPECT_EQ(nv::win32::RunWithDeadline([] { return 42; }, 5000), 42);
    EXPECT_THROW(
        nv::win32::RunWithDeadline([]() -> int { throw std::runtime_error("WMI: broken"); }, 5000),
        std::runtime_error);
}

TEST(RunWithDeadline, GivesUpOnWorkThatTakesTooLongAndLetsItEndByItself) {
    // The late work owns what it touches; the test only watches it, through a handle to its
    // thread that the work opens itself.
    auto ended = std::make_shared<std::atomic<bool>>(false);
    auto thread = std::make_shared<std::atomic<HANDLE>>(nullptr);
    DWORD start = ::GetTickCount();
    std::optional<std::wstring> answer = nv::win32::RunWithDeadline(
        [ended, thread] {
            thread->store(::OpenThread(SYNCHRONIZE, FALSE, ::GetCurrentThreadId()));
            ::Sleep(1500);
            ended->store(true);
            return std::wstring(L"too late");
        },
        200);
    DWORD waited = ::GetTickCount() - start;
    std::printf("[wine] gave up after %lu ms\n", static_cast<unsigned long>(waited));
    EXPECT_FALSE(answer.has_value());
    EXPECT_GE(waited, 150u);
    EXPECT_LT(waited, 1000u);
    EXPECT_FALSE(ended->load());

    // The thread goes on to its end; the test waits for it rather than end the process while
    // it is still running.
    for (int i = 0; i < 100 && !thread->load(); ++i) ::Sleep(20);
    HANDLE handle = thread->load();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(::WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
    ::CloseHandle(handle);
    EXPECT_TRUE(ended->load());
}

TEST_F(PlatformTest, Pbkdf2Sha256MatchesKnownVectors) {
    auto bytes = [](const char* text) {
        return std::vector<std::uint8_t>(text, text + std::strlen(text));
    };
    auto hex = [](const std::vector<std::uint8_t>& key) {
        std::string out;
        char two[3];
        for (auto b : key) {
            std::snprintf(two, sizeof(two), "%02x", b);
            out += two;
        }
        return out;
    };
    nv::ICrypto& crypto = m_platform.crypto;
    EXPECT_EQ(hex(crypto.Pbkdf2Sha256(bytes("password"), bytes("salt"), 1, 32)),
              "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    EXPECT_EQ(hex(crypto.Pbkdf2Sha256(bytes("password"), bytes("salt"), 4096, 32)),
              "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
    // RFC 7914, section 11: a key longer than one hash block.
    EXPECT_EQ(hex(crypto.Pbkdf2Sha256(bytes("passwd"), bytes("salt"), 1, 64)),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
              "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    // An empty password is a valid input, not a crash.
    EXPECT_EQ(crypto.Pbkdf2Sha256({}, bytes("salt"), 1, 32).size(), 32u);
}

TEST_F(PlatformTest, GenRandomGivesFreshBytes) {
    auto a = m_platform.crypto.GenRandom(32);
    auto b = m_platform.crypto.GenRandom(32);
    EXPECT_EQ(a.size(), 32u);
    EXPECT_NE(a, b);
    EXPECT_TRUE(m_platform.crypto.GenRandom(0).empty());
}

// The input desktop, the lock entry point and the screen-saver target as the triggers use them.
// Wine never locks: its input desktop is always the user's own.
TEST_F(PlatformTest, DesktopAndLockEntryPoint) {
    nv::IWindowManager& windows = m_platform.windows;
    EXPECT_EQ(windows.GetInputDesktopName(), std::optional<std::wstring>(L"Default"));
    EXPECT_EQ(windows.GetDesktopWindow(), reinterpret_cast<nv::WindowHandle>(::GetDesktopWindow()));

    nv::IKernel& kernel = m_platform.kernel;
    nv::ModuleHandle user32 = kernel.LoadLibraryW(L"User32.Dll");
    ASSERT_NE(user32, 0u);
    EXPECT_EQ(kernel.GetProcAddress(user32, "LockWorkStation"),
              reinterpret_cast<nv::ProcAddress>(
                  ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "LockWorkStation")));
    EXPECT_EQ(kernel.GetProcAddress(user32, "NoSuchExport"), 0u);
    kernel.FreeLibrary(user32);
    EXPECT_EQ(kernel.LoadLibraryW(L"no-such-library.dll"), 0u);
}

}  // namespace
