// Settings that survive restarts, checked on the real private-profile functions and registry:
// nva.dat written by hand, read by Nivora.exe and written back at exit; the autostart value.
#include <gtest/gtest.h>

#include <string>

#include "support/Driver.h"

#include <commctrl.h>

using namespace e2e;

namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string ReadText(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::wstring Ini(const std::wstring& section, const std::wstring& key) {
    wchar_t buf[2048] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<missing>", buf, 2048,
                             (DataFolder() + L"nva.dat").c_str());
    return buf;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        MakeEmptyDataFolder();
        RegDelete(HKEY_CURRENT_USER, kRun, L"NVA");
    }
    void TearDown() override {
        nivora.Kill();
        RegDelete(HKEY_CURRENT_USER, kRun, L"NVA");
    }
    HWND StartNivora(const std::wstring& args = L"") {
        EXPECT_TRUE(Start(nivora, L"Nivora.exe", args));
        HWND main = nullptr;
        WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); });
        EXPECT_TRUE(Answers(main));
        return main;
    }
    void Terminate(HWND main) {
        ASSERT_TRUE(PressButton(main, L"&Terminate"));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
        ASSERT_TRUE(PressButton(box, L"&Yes"));
        EXPECT_EQ(nivora.Wait(), 0);
    }
    Process nivora;
};

TEST_F(Settings, AFirstRunWritesEveryDefaultInOrder) {
    HWND main = StartNivora();
    ASSERT_NE(main, nullptr);
    Terminate(main);
    std::string text = ReadText(DataFolder() + L"nva.dat");
    size_t at = 0;
    for (const char* section : {"[Sounds]", "[SpecialWindows]", "[General]", "[SSaver]", "[Display]",
                                "[HOTKEY_Windows]", "[HOTKEY_App]", "[HOTKEY_SSaver]",
                                "[MouseShortcut_Windows]", "[MouseShortcut_SSaver]"}) {
        size_t found = text.find(section, at);
        ASSERT_NE(found, std::string::npos) << section << "\n" << text;
        at = found;
    }
    EXPECT_EQ(Ini(L"Sounds", L"Volume"), L"65535");
    EXPECT_EQ(Ini(L"Sounds", L"ModifyVolume"), L"1");
    EXPECT_EQ(Ini(L"SpecialWindows", L"Tray"), L"1");
    EXPECT_EQ(Ini(L"SpecialWindows", L"HideDesktop"), L"0");
    EXPECT_EQ(Ini(L"SSaver", L"LockWorkstation"), L"1");
    EXPECT_EQ(Ini(L"HOTKEY_Windows", L"Key"), L"Ctrl+`");
    EXPECT_EQ(Ini(L"HOTKEY_App", L"Key"), L"Ctrl+\\");
    EXPECT_EQ(Ini(L"HOTKEY_SSaver", L"Key"), L"Ctrl+F12");
    EXPECT_EQ(Ini(L"MouseShortcut_Windows", L"ZoneSize"), L"20");
    EXPECT_EQ(Ini(L"MouseShortcut_Windows", L"HoverInterval"), L"500");
    EXPECT_EQ(Ini(L"MouseShortcut_Windows", L"Corner"), L"0");
    EXPECT_EQ(Ini(L"MouseShortcut_SSaver", L"Corner"), L"1");
    EXPECT_EQ(Ini(L"MouseShortcut_SSaver", L"Enabled"), L"0");
    std::wstring password = L"<missing>";
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, L"Software\\Windows\\Cryptography", L"10", password));
    EXPECT_EQ(password, L"");
}

TEST_F(Settings, AHandWrittenFileIsReadAsTheProgramReadsIt) {
    std::string ini =
        "[Sounds]\r\nVolume=0x8000\r\n"
        "[SpecialWindows]\r\nHideDesktop=2\r\nHideTaskBar=yes\r\n"
        "[MouseShortcut_Windows]\r\nCorner=257\r\n"
        "[HOTKEY_Windows]\r\nKey=Ctrl+F9\r\n"
        "[Mine]\r\nKeepMe=42\r\n";
    WriteFileBytes(DataFolder() + L"nva.dat", std::vector<unsigned char>(ini.begin(), ini.end()));
    HWND main = StartNivora();
    ASSERT_NE(main, nullptr);

    // The hotkey from the file is the one shown and registered.
    EXPECT_NE(FindChildByText(main, L"Ctrl+F9"), nullptr);
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL, VK_F9));
    EXPECT_EQ(GetLastError(), 1409u);
    Terminate(main);

    EXPECT_EQ(Ini(L"Sounds", L"Volume"), L"32768");
    EXPECT_EQ(Ini(L"SpecialWindows", L"HideDesktop"), L"1");
    EXPECT_EQ(Ini(L"SpecialWindows", L"HideTaskBar"), L"0");
    EXPECT_EQ(Ini(L"MouseShortcut_Windows", L"Corner"), L"1");
    EXPECT_EQ(Ini(L"HOTKEY_Windows", L"Key"), L"Ctrl+F9");
    EXPECT_EQ(Ini(L"Mine", L"KeepMe"), L"42");
}

TEST_F(Settings, VolumeKeepsItsLowSixteenBits) {
    for (auto [written, loaded] : {std::pair{"-1", L"65535"}, std::pair{"70000", L"4464"}}) {
        std::string ini = std::string("[Sounds]\r\nVolume=") + written + "\r\n";
        WriteFileBytes(DataFolder() + L"nva.dat", std::vector<unsigned char>(ini.begin(), ini.end()));
        HWND main = StartNivora();
        ASSERT_NE(main, nullptr);
        Terminate(main);
        EXPECT_EQ(Ini(L"Sounds", L"Volume"), loaded) << written;
    }
}

TEST_F(Settings, TheDesiredVolumeSliderStepsByTheKeysAndItsLevelIsSaved) {
    HWND main = StartNivora();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    ASSERT_TRUE(PressButton(main, L"Sound"));
    // Of the two sliders, the "Current" one is for display only and stays disabled.
    HWND desired = nullptr;
    for (int i = 0; HWND slider = FindChildByClass(main, TRACKBAR_CLASSW, i); ++i)
        if (IsWindowEnabled(slider)) desired = slider;
    ASSERT_NE(desired, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(desired) != FALSE; }));
    auto press = [&](WPARAM key) {
        SendMessageW(desired, WM_KEYDOWN, key, 1);
        SendMessageW(desired, WM_KEYUP, key, 0xC0000001);
        return SendMessageW(desired, TBM_GETPOS, 0, 0);
    };

    // From full volume at the top: the arrow a thousand steps down, a page ten thousand more,
    // and the end is silence.
    EXPECT_EQ(press(VK_DOWN), 1000);
    EXPECT_EQ(press(VK_NEXT), 11000);
    press(VK_END);
    Terminate(main);
    EXPECT_EQ(Ini(L"Sounds", L"Volume"), L"0");
}

TEST_F(Settings, EveryStartRewritesThePresentRunValueQuoted) {
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRun, L"NVA", L"C:\\old place\\Nivora.exe /q"));
    HWND main = StartNivora();
    ASSERT_NE(main, nullptr);
    std::wstring value;
    ASSERT_TRUE(RegReadString(HKEY_CURRENT_USER, kRun, L"NVA", value));
    std::wstring expected = L"\"" + BinDir() + L"\\Nivora.exe\" /q";
    EXPECT_EQ(_wcsicmp(value.c_str(), expected.c_str()), 0) << value;

    // Unticking the box removes the value at once; ticking it writes it again.
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    HWND box = FindChildByText(main, L"Automatically start when Windows starts");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !RegReadString(HKEY_CURRENT_USER, kRun, L"NVA", value); }));
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return RegReadString(HKEY_CURRENT_USER, kRun, L"NVA", value); }));
}

}  // namespace
