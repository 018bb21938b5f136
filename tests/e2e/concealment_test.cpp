// What a hide changes besides the windows, as a user meets it under Wine: the wallpaper goes and
// comes back, Wine's stub sound device stays quiet, and a session that ends while hidden gets
// everything back.
#include <gtest/gtest.h>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

class Concealment : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeEmptyDataFolder();
        std::wstring settings = DataFolder() + L"nva.dat";
        WritePrivateProfileStringW(L"General", L"HideWallpaper", L"1", settings.c_str());
        WritePrivateProfileStringW(L"Sounds", L"ModifyVolume", L"1", settings.c_str());
        RegWriteString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", wallpaper);
        EXPECT_TRUE(Start(helper, L"nv_windows.exe", L"Lake-1 Lake-2"));
        for (const wchar_t* title : {L"Lake-1", L"Lake-2"}) {
            HWND h = nullptr;
            WaitFor([&] { return (h = FindWindowOf(helper.Pid(), title)) != nullptr; });
            windows.push_back(h);
        }
        EXPECT_TRUE(Start(nivora, L"Nivora.exe", L"/q"));
        WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; });
        // The hotkeys are registered before the loop starts.
        EXPECT_TRUE(nivora.WaitUntilIdle());
    }
    void TearDown() override {
        nivora.Kill();
        RegWriteString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", L"");
    }
    static std::wstring Wallpaper() {
        std::wstring value = L"(none)";
        RegReadString(HKEY_CURRENT_USER, kDesktopKey, L"Wallpaper", value);
        return value;
    }
    bool WindowsShown() {
        for (HWND h : windows)
            if (!IsWindowVisible(h)) return false;
        return true;
    }
    bool WindowsHidden() {
        for (HWND h : windows)
            if (IsWindowVisible(h)) return false;
        return true;
    }
    static void HideRestoreKey() { PressKeys({VK_CONTROL}, VK_OEM_3); }

    const std::wstring wallpaper = L"C:\\windows\\" + std::wstring(280, L'p') + L".bmp";
    Process helper, nivora;
    std::vector<HWND> windows;
    HWND main = nullptr;
};

TEST_F(Concealment, TheWallpaperGoesWithTheWindowsAndComesBackEvenIfUntickedMeanwhile) {
    ASSERT_NE(main, nullptr);
    HideRestoreKey();
    ASSERT_TRUE(WaitFor([&] { return WindowsHidden(); }));
    EXPECT_TRUE(WaitFor([&] { return Wallpaper().empty(); }));
    // "Modify sound" is ticked and Wine's device does nothing: no message.
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);

    // The window is called up while hidden and "Hide wallpaper" unticked there.
    PressKeys({VK_CONTROL}, VK_OEM_5);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }));
    HWND box = FindChildByText(main, L"Hide wallpaper");
    ASSERT_NE(box, nullptr);
    PostMessageW(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));

    HideRestoreKey();
    EXPECT_TRUE(WaitFor([&] { return WindowsShown(); }));
    EXPECT_TRUE(WaitFor([&] { return Wallpaper() == wallpaper; })) << Wallpaper().size();
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);
}

// The settings file cannot be written: the log-off goes ahead all the same, without a word.
// What would outlast Nivora comes back before the windows, in case Windows ends it part way.
TEST_F(Concealment, ASessionThatEndsWhileHiddenGetsEverythingBack) {
    ASSERT_NE(main, nullptr);
    HideRestoreKey();
    ASSERT_TRUE(WaitFor([&] { return WindowsHidden() && Wallpaper().empty(); }));
    // Held open by another program that lets nobody write it.
    HANDLE settings = CreateFileW((DataFolder() + L"nva.dat").c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(settings, INVALID_HANDLE_VALUE);

    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer));
    // Windows ends the process right after this message; by then everything is back.
    EXPECT_TRUE(WindowsShown());
    EXPECT_EQ(Wallpaper(), wallpaper);
    for (HWND h : windows)
        EXPECT_EQ(GetPropW(h, L"NvWallpaperWhenShown"), reinterpret_cast<HANDLE>(2))
            << "a window came back before the wallpaper";
    EXPECT_EQ(FindDialog(nivora.Pid()), nullptr);
    CloseHandle(settings);
}

}  // namespace
