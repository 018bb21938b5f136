// The application password and the program window: the start-up check, the hotkey toggle, the
// password dialogs, the Hide button and the placing of dialogs.
#include <gtest/gtest.h>

#include <deque>

#include "access/PasswordHash.h"
#include "shell/SettingsStore.h"
#include "support/Harness.h"
#include "widgets/Dialogs.h"

namespace nv::test {
namespace {

constexpr wchar_t kInvalid[] = L"Invalid password\n\rPlease check your spelling and try again!";

// Answers the password prompt from a queue of entries: each one typed then Ok; an empty queue
// cancels. Records what each showing of the prompt held when it came up.
struct AccessHarness : Harness {
    std::deque<std::wstring> entries;
    std::vector<std::wstring> promptHeld;
    int setPasswordShown = 0;
    std::function<ModalResult(TFormSetAppPassword&)> setPassword;

    AccessHarness() {
        backend.modalResponder = [this](TForm& form) {
            TProgramWindow& w = Form().programWindow;
            if (&form == &w.FormMainAppPasswordPrompt) {
                promptHeld.push_back(w.FormMainAppPasswordPrompt.edPassword.Text());
                if (entries.empty()) return ModalResult::Cancel;
                w.FormMainAppPasswordPrompt.edPassword.SetText(entries.front());
                entries.pop_front();
                return ModalResult::Ok;
            }
            if (&form == &w.FormSetAppPassword) {
                ++setPasswordShown;
                return setPassword ? setPassword(w.FormSetAppPassword) : ModalResult::Cancel;
            }
            return ModalResult::Cancel;
        };
    }
    void StorePassword(const std::wstring& stored) {
        desktop.SetRegistryString(RegistryHive::CurrentUser, kPasswordKey, kPasswordValue, stored);
    }
    std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& b : desktop.messageBoxes) texts.push_back(b.text);
        return texts;
    }
};

TEST(Access, WithoutAPasswordNothingIsAsked) {
    AccessHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    EXPECT_TRUE(f.Visible());
    h.User([&] { f.HotKey(1); });
    EXPECT_FALSE(f.Visible());
    h.User([&] { f.HotKey(1); });
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(h.promptHeld.empty());
}

TEST(Access, StartUpAsksUntilTheRightPasswordAndEveryPromptStartsEmpty) {
    for (bool quiet : {false, true}) {
        AccessHarness h;
        if (quiet) h.desktop.commandLine = {L"/q"};
        h.StorePassword(L"Secret");  // a plain one from an older version counts too
        h.entries = {L"secret", L"Secret"};
        ASSERT_TRUE(h.Start());
        // A wrong entry does not wait in the prompt either: it is a near miss of the password.
        EXPECT_EQ(h.promptHeld, (std::vector<std::wstring>{L"", L""}));
        ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(h.desktop.messageBoxes[0].text, kInvalid);
        EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
        EXPECT_EQ(h.desktop.messageBoxes[0].caption, L"Error");
        EXPECT_FALSE(h.App().Terminated());
        EXPECT_EQ(h.Form().Visible(), !quiet);
        EXPECT_EQ(h.desktop.hotkeys.size(), 3u);
        EXPECT_TRUE(h.Globals().ready);
        // The typed password does not stay behind in the prompt.
        EXPECT_TRUE(h.Form().programWindow.FormMainAppPasswordPrompt.edPassword.Text().empty());
    }
}

TEST(Access, CancellingThePromptAtStartUpEndsTheProgramAfterStartUpRanToItsEnd) {
    AccessHarness h;
    h.StorePassword(HashPassword(h.desktop, L"pw", 10));
    h.entries = {L"nope"};
    h.Start();
    EXPECT_EQ(h.promptHeld.size(), 2u);
    EXPECT_TRUE(h.App().Terminated());
    EXPECT_FALSE(h.Form().Visible());
    EXPECT_TRUE(h.Globals().ready);
    h.program->Loop();
    EXPECT_EQ(h.backend.loopsRun, 0);  // the loop ends at once
    h.Finish();
    // The destroy step still wrote the settings back, the password with them.
    EXPECT_TRUE(std::filesystem::exists(h.desktop.RealPath(h.Globals().settingsFile)));
    auto stored = h.desktop.ReadString(RegistryHive::CurrentUser, kPasswordKey, kPasswordValue);
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(PasswordMatches(h.desktop, *stored, L"pw"));
}

TEST(Access, TheHotkeyAsksBeforeShowingAndNeverBeforeHiding) {
    AccessHarness h;
    h.StorePassword(L"Open Sesame");
    h.entries = {L"Open Sesame"};
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.promptHeld.clear();

    h.User([&] { f.HotKey(1); });  // hides: no prompt
    EXPECT_FALSE(f.Visible());
    EXPECT_TRUE(h.promptHeld.empty());

    // Cancel keeps it hidden.
    h.User([&] { f.HotKey(1); });
    EXPECT_FALSE(f.Visible());
    // Wrong case, then trailing blank, then right: every prompt starts empty.
    h.entries = {L"open sesame", L"Open Sesame ", L"Open Sesame"};
    h.User([&] { f.HotKey(1); });
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(f.Focused() || h.App().FocusedControl() == &f);
    EXPECT_EQ(h.promptHeld, (std::vector<std::wstring>(4, L"")));
    EXPECT_EQ(h.BoxTexts(), (std::vector<std::wstring>(2, kInvalid)));
}

TEST(Access, PressingTheHotkeyAgainWhileThePromptIsUpDoesNotAskInsideIt) {
    AccessHarness h;
    h.StorePassword(L"pw");
    h.entries = {L"pw"};
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.User([&] { f.HotKey(1); });
    h.promptHeld.clear();
    h.entries = {L"pw"};
    auto answer = h.backend.modalResponder;
    h.backend.modalResponder = [&](TForm& form) {
        h.User([&] { f.HotKey(1); });  // a second press while the prompt is up
        return answer(form);
    };
    h.User([&] { f.HotKey(1); });
    EXPECT_EQ(h.promptHeld.size(), 1u);
    EXPECT_TRUE(f.Visible());
}

TEST(Access, TheRestoreBringsTheWindowBackWithoutAsking) {
    AccessHarness h;
    h.StorePassword(L"pw");
    h.entries = {L"pw"};
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.promptHeld.clear();
    h.User([&] { f.HotKey(0); });  // hides the windows, the program window with them
    EXPECT_FALSE(f.Visible());
    h.User([&] { f.HotKey(0); });
    EXPECT_TRUE(f.Visible());
    EXPECT_TRUE(h.promptHeld.empty());
}

TEST(Access, TheSetPasswordDialogChecksBothFields) {
    AccessHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    TFormSetAppPassword& d = f.programWindow.FormSetAppPassword;
    EXPECT_EQ(d.edPassword.passwordChar, L'*');
    EXPECT_EQ(d.edConfirmPassword.passwordChar, L'*');
    EXPECT_EQ(f.programWindow.FormMainAppPasswordPrompt.edPassword.passwordChar, L'*');
    EXPECT_EQ(f.programWindow.FormMainAppPasswordPrompt.Caption(), L"NVA");

    struct Case {
        const wchar_t* password;
        const wchar_t* confirm;
        const wchar_t* message;  // nullptr: accepted
        MessageBoxKind kind;
    };
    for (const Case& c : {Case{L"abc", L"abd", L"The passwords do not match!\n\rPlease correct.",
                               MessageBoxKind::Error},
                          Case{L"abc", L"", L"The passwords do not match!\n\rPlease correct.",
                               MessageBoxKind::Error},
                          Case{L"", L"", L"Please fill all the fields.", MessageBoxKind::Warning},
                          Case{L"abc", L"abc", nullptr, MessageBoxKind::Plain}}) {
        h.desktop.messageBoxes.clear();
        d.edPassword.SetText(c.password);
        d.edConfirmPassword.SetText(c.confirm);
        d.edConfirmPassword.SetFocus();
        d.SetModalResult(ModalResult::None);
        h.User([&] { d.btnOk.Click(); });
        if (c.message) {
            ASSERT_EQ(h.desktop.messageBoxes.size(), 1u) << ToUtf8(c.message);
            EXPECT_EQ(h.desktop.messageBoxes[0].text, c.message);
            EXPECT_EQ(h.desktop.messageBoxes[0].kind, c.kind);
            EXPECT_EQ(d.GetModalResult(), ModalResult::None);  // stays open
            EXPECT_TRUE(d.edPassword.Focused());
        } else {
            EXPECT_TRUE(h.desktop.messageBoxes.empty());
            EXPECT_EQ(d.GetModalResult(), ModalResult::Ok);
        }
    }
}

TEST(Access, SetPasswordAndTheBoxSetAndRemoveThePassword) {
    AccessHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    std::wstring& password = h.Globals().applicationPassword;

    TFormSetAppPassword& d = f.programWindow.FormSetAppPassword;
    auto stored = [&] {
        return h.desktop.ReadString(RegistryHive::CurrentUser, kPasswordKey, kPasswordValue);
    };
    auto typeIn = [](ModalResult answer) {
        return [answer](TFormSetAppPassword& d) {
            d.edPassword.SetText(L"new one");
            d.edConfirmPassword.SetText(L"new one");
            return answer;
        };
    };

    // Ticking the box opens the dialog once; cancelling leaves it unticked and nothing set, and
    // what was typed does not wait in the dialog for its next showing.
    h.setPassword = typeIn(ModalResult::Cancel);
    h.User([&] { f.cbAppPassword.Click(); });
    EXPECT_EQ(h.setPasswordShown, 1);
    EXPECT_FALSE(f.cbAppPassword.Checked());
    EXPECT_TRUE(password.empty());
    EXPECT_EQ(stored(), std::nullopt);
    EXPECT_EQ(d.edPassword.Text() + d.edConfirmPassword.Text(), L"");

    // Confirmed: the password is set (as its hash), stored at once, the box ticked and the
    // dialog emptied.
    h.setPassword = typeIn(ModalResult::Ok);
    h.User([&] { f.cbAppPassword.Click(); });
    EXPECT_TRUE(f.cbAppPassword.Checked());
    EXPECT_TRUE(IsPasswordHash(password));
    EXPECT_TRUE(f.PasswordMatches(L"new one"));
    EXPECT_EQ(stored(), password);
    EXPECT_EQ(d.edPassword.Text() + d.edConfirmPassword.Text(), L"");

    // It takes effect at once: hiding and showing now asks.
    h.entries = {L"new one"};
    h.User([&] { f.HotKey(1); });
    h.User([&] { f.HotKey(1); });
    EXPECT_EQ(h.promptHeld.size(), 1u);
    EXPECT_TRUE(f.Visible());

    // Unticking removes it at once, from the registry too (an empty value).
    h.User([&] { f.cbAppPassword.Click(); });
    EXPECT_FALSE(f.cbAppPassword.Checked());
    EXPECT_TRUE(password.empty());
    EXPECT_EQ(stored(), std::wstring());
    EXPECT_EQ(h.setPasswordShown, 2);
    h.User([&] { f.HotKey(1); });
    h.User([&] { f.HotKey(1); });
    EXPECT_EQ(h.promptHeld.size(), 1u);

    // "Set Password" with the box unticked: confirmed sets it and ticks the box silently.
    h.User([&] { f.btnSetAppPassword.Click(); });
    EXPECT_TRUE(f.cbAppPassword.Checked());
    EXPECT_EQ(h.setPasswordShown, 3);
}

// A password the registry does not take is no password at all at the next start: the user hears
// of it, and the password and its box stay as they were.
TEST(Access, APasswordThatCannotBeStoredIsReportedAndChangesNothing) {
    AccessHarness h;
    const std::wstring old = HashPassword(h.desktop, L"old", 10);
    h.StorePassword(old);
    h.entries = {L"old"};
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.desktop.registryWritable = false;
    h.setPassword = [](TFormSetAppPassword& d) {
        d.edPassword.SetText(L"new");
        d.edConfirmPassword.SetText(L"new");
        return ModalResult::Ok;
    };
    // A new password, then the box unticked to remove it.
    for (auto click : std::initializer_list<std::function<void()>>{
             [&] { f.btnSetAppPassword.Click(); }, [&] { f.cbAppPassword.Click(); }}) {
        h.desktop.messageBoxes.clear();
        h.User(click);
        ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Error);
        EXPECT_NE(h.desktop.messageBoxes[0].text.find(L"could not be stored"), std::wstring::npos);
        EXPECT_EQ(h.Globals().applicationPassword, old);
        EXPECT_TRUE(f.cbAppPassword.Checked());
    }
    EXPECT_TRUE(f.PasswordMatches(L"old"));
}

TEST(Access, HideNamesTheHotkeyAsShownSavesAndHides) {
    AccessHarness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    f.edHkProgramKey.SetText(L"Ctrl+Nonsense");
    std::filesystem::path settings = h.desktop.RealPath(h.Globals().settingsFile);
    std::filesystem::path list = h.desktop.RealPath(h.Globals().excludeListFile);
    bool savedBeforeMessage = true;
    h.desktop.onMessageBox = [&](const MessageBoxRecord&) {
        savedBeforeMessage = std::filesystem::exists(settings);
    };
    h.User([&] { f.btnHide.Click(); });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text,
              L"To activate this window again use : \n\rCtrl+Nonsense");
    EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Information);
    EXPECT_FALSE(savedBeforeMessage);
    EXPECT_TRUE(std::filesystem::exists(settings));
    EXPECT_TRUE(std::filesystem::exists(list));
    EXPECT_FALSE(f.Visible());
}

TEST(Access, CenteredPositionKeepsTheDialogOnTheScreenAtEveryEdge) {
    const Rect screen{0, 0, 1280, 1024};
    auto at = [&](Rect owner) { return CenteredPosition(owner, 300, 200, screen); };
    Point p = at({100, 100, 700, 500});  // well inside: centred
    EXPECT_EQ(p.x, 250);
    EXPECT_EQ(p.y, 200);
    p = at({-500, 300, 100, 700});  // left edge
    EXPECT_EQ(p.x, 0);
    p = at({300, -400, 900, 50});  // top edge
    EXPECT_EQ(p.y, 0);
    p = at({1200, 300, 1800, 700});  // right edge
    EXPECT_EQ(p.x, 1280 - 300);
    p = at({300, 990, 900, 1390});  // bottom edge
    EXPECT_EQ(p.y, 1024 - 200);
    p = at({-1, -1, 300, 200});  // integer division toward zero: (301 - 300) / 2 = 0
    EXPECT_EQ(p.x, 0);
    p = at({-3, 0, 300, 200});  // -3 + 3 / 2 = -2 -> pulled in
    EXPECT_EQ(p.x, 0);
    // A dialog larger than the screen keeps its top left corner on it.
    p = CenteredPosition({0, 0, 1280, 1024}, 1400, 1100, screen);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

}  // namespace
}  // namespace nv::test
