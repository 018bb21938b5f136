// The settings store through the real private-profile and registry functions under Wine: the
// file keeps what the program does not know, a new file lists its ten sections in order, the
// password goes through the real registry and PBKDF2, and the Run value is written quoted.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "PlatformTestSupport.h"
#include "access/PasswordHash.h"
#include "shell/Globals.h"
#include "shell/SettingsStore.h"
#include "ui/MainForm.h"

namespace {

using nv::RegistryHive;
using nvtest::TempFolder;

// Forms without native windows: the store needs the control models only.
class NoWindows : public nv::IWidgetBackend {
public:
    void Realize(nv::TForm&) override {}
    void RealizeImageList(nv::TImageList&) override {}
    void RealizeTimer(nv::TTimer&) override {}
    void RunMessageLoop() override {}
    void PostQuit() override {}
    nv::ModalResult RunModal(nv::TForm&) override { return nv::ModalResult::Cancel; }
    void ShowPopupMenu(nv::TPopupMenu&, int, int) override {}
    void ShowHelp(const std::wstring&, int) override {}
};

class SettingsWinTest : public nvtest::PlatformTest {
protected:
    SettingsWinTest() { m_globals.settingsFile = m_folder / L"nva.dat"; }

    // A main window of its own per run of the store, as each program start has.
    std::unique_ptr<nv::TMainForm> NewForm() {
        return std::make_unique<nv::TMainForm>(m_platform, m_app, m_globals);
    }
    std::vector<std::string> FileLines() {
        std::ifstream in(std::filesystem::path(m_globals.settingsFile), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }

    TempFolder m_folder;
    NoWindows m_backend;
    nv::TApplication m_app{m_platform.windows, m_backend};
    nv::TGlobals m_globals{m_platform};
};

TEST_F(SettingsWinTest, ANewFileListsTheTenSectionsInOrder) {
    auto form = NewForm();
    form->settingsStore.LoadSettings();
    form->settingsStore.SaveSettings();
    std::vector<std::string> sections;
    for (const auto& line : FileLines())
        if (line.front() == '[') sections.push_back(line);
    EXPECT_EQ(sections, (std::vector<std::string>{
                            "[Sounds]", "[SpecialWindows]", "[General]", "[SSaver]", "[Display]",
                            "[HOTKEY_Windows]", "[HOTKEY_App]", "[HOTKEY_SSaver]",
                            "[MouseShortcut_Windows]", "[MouseShortcut_SSaver]"}));
    std::vector<std::string> lines = FileLines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "ModifyVolume=1");
    EXPECT_EQ(lines[2], "Volume=65535");
}

TEST_F(SettingsWinTest, UnknownSectionsAndKeysSurviveASave) {
    {
        std::ofstream out(std::filesystem::path(m_globals.settingsFile), std::ios::binary);
        out << "[Mine]\r\nKeep=this\r\n[SpecialWindows]\r\nHideDesktop=2\r\nExtra=42\r\n"
               "[MouseShortcut_Windows]\r\nCorner=257\r\n[HOTKEY_App]\r\nKey=Alt+F9\r\n";
    }
    auto form = NewForm();
    form->settingsStore.LoadSettings();
    EXPECT_TRUE(form->cbHideDeskTop.Checked());
    EXPECT_EQ(m_globals.hideCornerShortcut.Corner, 1);
    EXPECT_EQ(form->edHkProgramKey.Text(), L"Alt+F9");
    form->settingsStore.SaveSettings();

    std::vector<std::string> lines = FileLines();
    auto has = [&](const char* l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_EQ(lines.front(), "[Mine]");
    for (const char* l : {"Keep=this", "Extra=42", "HideDesktop=1", "Corner=1", "Key=Alt+F9"})
        EXPECT_TRUE(has(l)) << l;
}

TEST_F(SettingsWinTest, ThePasswordGoesThroughTheRealRegistryAsAHash) {
    nv::IRegistry& registry = m_platform.registry;
    {
        auto form = NewForm();
        form->settingsStore.LoadSettings();
        form->SetApplicationPassword(L"Pa\u00dfwort 1");
        form->cbAppPassword.SetCheckedSilently(true);
        form->settingsStore.SaveSettings();
    }
    std::wstring stored =
        registry.ReadString(RegistryHive::CurrentUser, nv::kPasswordKey, nv::kPasswordValue)
            .value_or(L"");
    EXPECT_TRUE(nv::IsPasswordHash(stored)) << nv::ToUtf8(stored);

    auto form = NewForm();
    form->settingsStore.LoadSettings();
    EXPECT_TRUE(form->cbAppPassword.Checked());
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(form->PasswordMatches(L"Pa\u00dfwort 1"));
    auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("[wine] one password check: %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_FALSE(form->PasswordMatches(L"pa\u00dfwort 1"));

    // Unticking the box leaves the value in place, empty.
    form->cbAppPassword.SetCheckedSilently(false);
    form->settingsStore.SaveSettings();
    EXPECT_EQ(registry.ReadString(RegistryHive::CurrentUser, nv::kPasswordKey, nv::kPasswordValue),
              std::wstring());
    registry.DeleteValue(RegistryHive::CurrentUser, nv::kPasswordKey, nv::kPasswordValue);
}

TEST_F(SettingsWinTest, TheRegistryRefusesAKeyNamedFromTheRoot) {
    // Why the password key is named without its old leading backslash.
    std::uint32_t result = m_platform.registry.WriteString(
        RegistryHive::CurrentUser, L"\\Software\\NivoraProbe\\", L"10", L"", true);
    std::printf("[wine] key with a leading backslash: %u\n", result);
    EXPECT_NE(result, 0u);
}

TEST_F(SettingsWinTest, TheRunValueQuotesTheExecutablePath) {
    nv::IRegistry& registry = m_platform.registry;
    // The key exists on every Windows; a fresh Wine prefix may lack it.
    bool keyMade = !registry.KeyExists(RegistryHive::CurrentUser, nv::kRunKey);
    if (keyMade) {
        ASSERT_EQ(registry.WriteString(RegistryHive::CurrentUser, nv::kRunKey, L"NivoraTestProbe",
                                       L"", true),
                  0u);
    }
    auto form = NewForm();
    form->SetAutoStart(true);
    EXPECT_TRUE(form->IsAutoStartSet());
    EXPECT_EQ(registry.ReadString(RegistryHive::CurrentUser, nv::kRunKey, nv::kRunValue),
              L"\"" + m_platform.kernel.GetModuleFileNameW() + L"\" /q");
    form->SetAutoStart(false);
    EXPECT_FALSE(form->IsAutoStartSet());
    if (keyMade) registry.DeleteValue(RegistryHive::CurrentUser, nv::kRunKey, L"NivoraTestProbe");
}

}  // namespace
