// The application password and the program window, as a user meets them: the masked prompt at
// start-up and before Ctrl+\ shows the window, the Hide button, the set-password dialog and the
// "Protect this application with password" box.
#include <gtest/gtest.h>

#include "support/Driver.h"

using namespace e2e;

namespace {

const wchar_t kPasswordKey[] = L"Software\\Windows\\Cryptography";
// The end of the program stores the password hashed, which is slow by design (PBKDF2, 600000
// rounds): on a loaded machine that takes seconds.
constexpr int kEndMs = 40000;

class Access : public ::testing::Test {
protected:
    void SetUp() override {
        MakeEmptyDataFolder();
        RegDelete(HKEY_CURRENT_USER, kPasswordKey, L"10");
    }
    void TearDown() override {
        nivora.Kill();
        RegDelete(HKEY_CURRENT_USER, kPasswordKey, L"10");
    }
    static std::wstring StoredPassword() {
        std::wstring value = L"(none)";
        RegReadString(HKEY_CURRENT_USER, kPasswordKey, L"10", value);
        return value;
    }
    void StartNivora(const std::wstring& args) {
        ASSERT_TRUE(Start(nivora, L"Nivora.exe", args));
        WaitFor([&] { return (main = FindMainWindow(nivora.Pid())) != nullptr; });
        ASSERT_NE(main, nullptr);
    }
    // The prompt once it is on screen, or null.
    HWND Prompt(int timeoutMs = 10000) {
        HWND prompt = nullptr;
        WaitFor([&] { return IsShown(prompt = FindWindowOf(nivora.Pid(), L"NVA")); }, timeoutMs);
        return IsShown(prompt) ? prompt : nullptr;
    }
    // Types an entry into the prompt and presses a button of it.
    static void Answer(HWND prompt, const wchar_t* entry, const wchar_t* button) {
        HWND edit = FindChildByClass(prompt, L"Edit");
        ASSERT_NE(edit, nullptr);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(entry));
        ASSERT_TRUE(PressButton(prompt, button));
    }
    // The message box on screen, its text checked, answered with OK.
    void ExpectMessage(const std::wstring& text) {
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
        Linger();
        EXPECT_NE(DialogText(box).find(text), std::wstring::npos) << DialogText(box);
        ASSERT_TRUE(PressButton(box, L"OK"));
        WaitFor([&] { return FindDialog(nivora.Pid()) == nullptr; });
    }
    void Terminate() {
        ASSERT_TRUE(PressButton(main, L"&Terminate"));
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindDialog(nivora.Pid())) != nullptr; }));
        ASSERT_TRUE(PressButton(box, L"&Yes"));
        EXPECT_EQ(nivora.Wait(kEndMs), 0);
    }
    // Ctrl+\, until the prompt or the window is on screen.
    bool ProgramKey() {
        return PressHotkey({VK_CONTROL}, VK_OEM_5, [&] {
            return IsShown(main) || IsShown(FindWindowOf(nivora.Pid(), L"NVA"));
        });
    }
    Process nivora;
    HWND main = nullptr;
};

const wchar_t kInvalid[] = L"Invalid password\n\rPlease check your spelling and try again!";

TEST_F(Access, TheStartAsksInAMaskedPromptAndCancelEndsTheProgram) {
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kPasswordKey, L"10", L"Sesame"));
    StartNivora(L"/q");
    HWND prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_NE(FindChildByText(prompt, L"Entre application password"), nullptr);
    HWND edit = FindChildByClass(prompt, L"Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_FALSE(IsShown(main));
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    Linger();
    // What is typed is not the window's name, which any program reads.
    EXPECT_EQ(WindowText(edit), L"");

    // A wrong entry: the message, and the prompt again, empty.
    Answer(prompt, L"sesame", L"&Ok");
    ExpectMessage(kInvalid);
    prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    wchar_t held[64] = L"?";
    SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(held));
    EXPECT_STREQ(held, L"");

    Answer(prompt, L"", L"&Cancel");
    EXPECT_EQ(nivora.Wait(kEndMs), 0);
    EXPECT_FALSE(IsShown(main));
}

TEST_F(Access, TheRightPasswordGoesOnAndCtrlBackslashAsksOnlyBeforeShowing) {
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kPasswordKey, L"10", L"Sesame"));
    StartNivora(L"");
    HWND prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    Answer(prompt, L"Sesame", L"&Ok");
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));

    // Hides, without asking. (Start-up registers the hotkeys after the prompt: the first press
    // is posted, to be taken by the message loop.) A prompt the press opened would be on screen
    // by the time the window answers again: it answers from the prompt's own loop.
    PostHotkey(main, 1, MOD_CONTROL, VK_OEM_5);
    EXPECT_TRUE(WaitFor([&] { return !IsShown(main); }));
    ASSERT_TRUE(Answers(main));
    EXPECT_FALSE(IsShown(FindWindowOf(nivora.Pid(), L"NVA")));

    ASSERT_TRUE(ProgramKey());  // asks first
    prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_FALSE(IsShown(main));
    Answer(prompt, L"Sesame", L"&Ok");
    EXPECT_TRUE(WaitFor([&] { return IsShown(main); }));
    Terminate();
    // Kept hashed from now on.
    EXPECT_EQ(StoredPassword().rfind(L"pbkdf2-sha256$", 0), 0u) << StoredPassword();
}

TEST_F(Access, HideTellsTheHotkeyAndHidesTheWindow) {
    StartNivora(L"");
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    ASSERT_TRUE(PressButton(main, L"&Hide"));
    ExpectMessage(L"To activate this window again use : \n\rCtrl+\\");
    EXPECT_TRUE(WaitFor([&] { return !IsShown(main); }));
    EXPECT_TRUE(FileExists(DataFolder() + L"nva.dat"));
    ASSERT_TRUE(ProgramKey());  // no password: shown at once
    EXPECT_TRUE(IsShown(main));
}

TEST_F(Access, SetPasswordAndTheBoxSetAndRemoveThePassword) {
    StartNivora(L"");
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    HWND box = FindChildByText(main, L"Protect this application with password");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsShown(box); }));

    ASSERT_TRUE(PressButton(main, L"Set Password"));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return IsShown(dialog = FindWindowOf(nivora.Pid(), L"Application password"));
    }));
    HWND first = FindChildByClass(dialog, L"Edit", 0), second = FindChildByClass(dialog, L"Edit", 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(SendMessageW(first, EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(SendMessageW(second, EM_GETPASSWORDCHAR, 0, 0), L'*');
    auto fill = [&](const wchar_t* a, const wchar_t* b) {
        SendMessageW(first, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a));
        SendMessageW(second, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(b));
        ASSERT_TRUE(PressButton(dialog, L"Ok"));
    };
    SendMessageW(first, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    Linger();
    fill(L"one", L"two");
    ExpectMessage(L"The passwords do not match!\n\rPlease correct.");
    EXPECT_TRUE(IsShown(dialog));
    fill(L"", L"");
    ExpectMessage(L"Please fill all the fields.");
    fill(L"new pass", L"new pass");
    EXPECT_TRUE(WaitFor([&] { return !IsShown(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    // Stored at once, hashed.
    EXPECT_EQ(StoredPassword().rfind(L"pbkdf2-sha256$", 0), 0u) << StoredPassword();

    // Unticking the box removes it at once, from the registry too.
    PostMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    EXPECT_EQ(StoredPassword(), L"");
    // Ticking it opens the dialog, empty: nothing typed before waits in it.
    PostMessageW(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsShown(dialog); }));
    wchar_t held[64] = L"?";
    SendMessageW(first, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(held));
    EXPECT_STREQ(held, L"");
    fill(L"new pass", L"new pass");
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    Terminate();
    EXPECT_EQ(StoredPassword().rfind(L"pbkdf2-sha256$", 0), 0u) << StoredPassword();

    // The next start asks for it; then the box removes it for good.
    StartNivora(L"");
    HWND prompt = Prompt();
    ASSERT_NE(prompt, nullptr);
    Answer(prompt, L"new pass", L"&Ok");
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));
    ASSERT_TRUE(PressButton(main, L"&Extra Settings"));
    box = FindChildByText(main, L"Protect this application with password");
    ASSERT_TRUE(WaitFor([&] { return IsShown(box); }));
    PostMessageW(box, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
    Terminate();
    EXPECT_EQ(StoredPassword(), L"");
}

}  // namespace
