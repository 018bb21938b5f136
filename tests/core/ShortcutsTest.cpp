// The hotkeys: text form, registration, start-up failures and the key capture of the boxes.
#include <gtest/gtest.h>

#include <fstream>

#include "support/Harness.h"
#include "triggers/Shortcuts.h"

namespace nv::test {
namespace {

constexpr std::uint32_t kCtrlNoRepeat = HotKeyMod::Control | HotKeyMod::NoRepeat;

const HotKeyRegistration* Registered(FakeDesktop& d, int id) {
    for (const auto& r : d.hotkeys)
        if (r.id == id) return &r;
    return nullptr;
}

// The program built with this nva.dat, not yet started.
void MakeWithSettings(Harness& h, const std::string& text) {
    h.Make();
    std::ofstream(h.desktop.RealPath(h.Globals().settingsFile), std::ios::binary) << text;
}

std::string ReadSettings(Harness& h) {
    std::ifstream in(h.desktop.RealPath(h.Globals().settingsFile), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring FailureText(const std::wstring& text) {
    std::wstring expected = L"Unable to assign shortcut: ";
    expected += text;
    expected += L"\n\rThe shortcut is in use!\n\rPlease try a different key combination.";
    return expected;
}

TEST(ShortcutText, FormatsPrefixesInFixedOrderAndNamesKeys) {
    FakeDesktop d;
    EXPECT_EQ(FormatShortcut(d, kScAlt | kScShift | kScCtrl | 'A'), L"Shift+Ctrl+Alt+A");
    EXPECT_EQ(FormatShortcut(d, kScCtrl | 192), L"Ctrl+`");
    EXPECT_EQ(FormatShortcut(d, kScCtrl | 220), L"Ctrl+\\");
    EXPECT_EQ(FormatShortcut(d, kScCtrl | 123), L"Ctrl+F12");
    EXPECT_EQ(FormatShortcut(d, 27), L"Esc");
    EXPECT_EQ(FormatShortcut(d, 135), L"F24");
    EXPECT_EQ(FormatShortcut(d, 97), L"1");  // keypad digit reads like the main one
    // A key without a name gives no text at all, modifiers included.
    EXPECT_EQ(FormatShortcut(d, kScCtrl | 91), L"");
    EXPECT_EQ(MakeShortcut(256, {true, true, true}), 0);
    EXPECT_EQ(MakeShortcut('A', {false, true, false}), kScCtrl | 'A');
}

TEST(ShortcutText, ParsesPrefixesInAnyOrderAndCase) {
    FakeDesktop d;
    const TShortCut all = kScShift | kScCtrl | kScAlt | 'A';
    EXPECT_EQ(ParseShortcut(d, d, L"Shift+Ctrl+Alt+A"), all);
    EXPECT_EQ(ParseShortcut(d, d, L"alt+SHIFT+ctrl+a"), all);
    EXPECT_EQ(ParseShortcut(d, d, L"^Shift+Alt+A"), all);
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+Ctrl+^A"), kScCtrl | 'A');
    for (const wchar_t* text : {L"Ctrl+`", L"CTRL+`", L"ctrl+`", L"^`"})
        EXPECT_EQ(ParseShortcut(d, d, text), kScCtrl | 192) << ToUtf8(text);
    EXPECT_EQ(ParseShortcut(d, d, L"CTRL+F12"), kScCtrl | 123);
    EXPECT_EQ(ParseShortcut(d, d, L"pgdn"), 34);
    // Shared names resolve to the lowest key: keypad digits and the slash.
    EXPECT_EQ(ParseShortcut(d, d, L"1"), '1');
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+/"), kScCtrl | 111);
    // Nothing after the prefixes, or an unknown name, is no shortcut.
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+"), 0);
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+Shift+"), 0);
    EXPECT_EQ(ParseShortcut(d, d, L""), 0);
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+Nothing"), 0);
    EXPECT_EQ(ParseShortcut(d, d, L"Ctrl+A+"), 0);
}

TEST(ShortcutText, KeyDownFilter) {
    struct Case {
        std::uint16_t key;
        ShiftState shift;
        bool passes;
    };
    const ShiftState none{}, shift{true, false, false}, ctrl{false, true, false},
        alt{false, false, true};
    for (const Case& c : std::vector<Case>{
             {'A', none, false},  {'A', shift, false}, {116, none, false}, {192, none, false},
             {219, shift, false}, {221, none, false},  {8, ctrl, false},   {32, none, false},
             {17, ctrl, false},   {16, shift, false},  {18, alt, false},   {'A', ctrl, true},
             {'A', alt, true},    {27, none, true},    {128, none, true},  {9, none, true},
             {186, none, true},   {222, shift, true},  {192, ctrl, true},  {16, ctrl, true}}) {
        std::uint16_t key = c.key;
        EXPECT_EQ(IsShortcutKey(key, c.shift), c.passes) << c.key;
        EXPECT_EQ(key, c.passes ? c.key : 0) << c.key;
    }
}

TEST(Hotkeys, StartupRegistersTheDefaultsWithoutRepeat) {
    Harness h;
    ASSERT_TRUE(h.Start());
    WindowHandle main = h.Form().Handle();
    ASSERT_EQ(h.desktop.hotkeys.size(), 3u);
    const std::uint32_t keys[] = {192, 220, 123};
    for (int id = 0; id < 3; ++id) {
        const HotKeyRegistration* r = Registered(h.desktop, id);
        ASSERT_NE(r, nullptr) << id;
        EXPECT_EQ(r->window, main);
        EXPECT_EQ(r->modifiers, kCtrlNoRepeat);
        EXPECT_EQ(r->vk, keys[id]);
    }
    EXPECT_TRUE(h.desktop.messageBoxes.empty());

    h.Finish();
    EXPECT_TRUE(h.desktop.hotkeys.empty());
}

TEST(Hotkeys, DefaultTextInAnyCaseAndTheSlash) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TEdit& box = h.Form().edHkWindowsKey;
    auto assign = [&](const wchar_t* text) {
        box.SetText(text);
        return h.Form().hotkeys.AssignShortcut(0, box);
    };
    for (const wchar_t* text : {L"CTRL+`", L"ctrl+`", L"Ctrl+`"}) {
        EXPECT_TRUE(assign(text));
        const HotKeyRegistration* r = Registered(h.desktop, 0);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->vk, 192u);
        EXPECT_EQ(r->modifiers, kCtrlNoRepeat);
    }
    EXPECT_TRUE(assign(L"Ctrl+/"));
    const HotKeyRegistration* r = Registered(h.desktop, 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->vk, 191u);
    EXPECT_EQ(r->modifiers, kCtrlNoRepeat);
}

// A text that names no key, as only an edited settings file can hold, is not "in use": the
// user is told the key is not there.
TEST(Hotkeys, TextWithoutAKeyIsAFailedRegistration) {
    for (const char* text : {"Ctrl+", "", "Ctrl+Nothing"}) {
        Harness h;
        MakeWithSettings(h, std::string("[HOTKEY_Windows]\r\nKey=") + text + "\r\n");
        ASSERT_TRUE(h.Start());
        EXPECT_EQ(Registered(h.desktop, 0), nullptr) << text;
        ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(h.desktop.messageBoxes[0].text,
                  L"Unable to assign shortcut: " + FromUtf8(text) +
                      L"\n\rThis keyboard has no such key!\n\rPlease try a different key "
                      L"combination.");
        EXPECT_EQ(h.desktop.messageBoxes[0].kind, MessageBoxKind::Plain);
    }
}

// Where "`" or "\\" is not a key of its own, the default texts name no key. Each hotkey keeps
// its key code beside its text: the key is registered from it and shown by this layout's name,
// and the next start on the first layout reads it back the same way.
TEST(Hotkeys, AnotherKeyboardLayoutRegistersTheStoredKeyAndShowsItsName) {
    struct Case {
        KeyboardLayout layout;
        const wchar_t* windowsKey;
        const wchar_t* programKey;
    };
    for (const Case& c : {Case{KeyboardLayout::German, L"Ctrl+\u00D6", L"Ctrl+ZIRKUMFLEX"},
                          Case{KeyboardLayout::French, L"Ctrl+\u00F9", L"Ctrl+*"}}) {
        std::string settings;
        {
            Harness h;
            h.desktop.keyboardLayout = c.layout;
            ASSERT_TRUE(h.Start());
            EXPECT_TRUE(h.desktop.messageBoxes.empty());
            const std::uint32_t keys[] = {192, 220, 123};
            for (int id = 0; id < 3; ++id) {
                const HotKeyRegistration* r = Registered(h.desktop, id);
                ASSERT_NE(r, nullptr) << id;
                EXPECT_EQ(r->vk, keys[id]);
                EXPECT_EQ(r->modifiers, kCtrlNoRepeat);
            }
            EXPECT_EQ(h.Form().edHkWindowsKey.Text(), c.windowsKey);
            EXPECT_EQ(h.Form().edHkProgramKey.Text(), c.programKey);
            EXPECT_EQ(h.Form().edHKSSaverKey.Text(), L"Ctrl+F12");
            h.Finish();
            settings = ReadSettings(h);
        }
        // Back on a US keyboard with the file written there.
        Harness h;
        MakeWithSettings(h, settings);
        ASSERT_TRUE(h.Start());
        EXPECT_TRUE(h.desktop.messageBoxes.empty());
        EXPECT_EQ(h.Form().edHkWindowsKey.Text(), L"Ctrl+`");
        EXPECT_EQ(h.Form().edHkProgramKey.Text(), L"Ctrl+\\");
        ASSERT_NE(Registered(h.desktop, 0), nullptr);
        EXPECT_EQ(Registered(h.desktop, 0)->vk, 192u);
    }
}

TEST(Hotkeys, OneTakenAtStartupLeavesTheOthersAndShowsTheShortcutsPage) {
    for (bool quiet : {false, true}) {
        Harness h;
        if (quiet) h.desktop.commandLine = {L"/Q"};
        h.desktop.takenHotkeys.insert({HotKeyMod::Control, 220});
        ASSERT_TRUE(h.Start());
        TMainForm& f = h.Form();
        ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
        EXPECT_EQ(h.desktop.messageBoxes[0].text, FailureText(f.edHkProgramKey.Text()));
        EXPECT_NE(Registered(h.desktop, 0), nullptr);
        EXPECT_EQ(Registered(h.desktop, 1), nullptr);
        EXPECT_NE(Registered(h.desktop, 2), nullptr);
        EXPECT_TRUE(f.Visible());
        EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetOptions);
        EXPECT_EQ(f.PageControlSettings.ActivePage(), &f.SheetSetShortcuts);
        EXPECT_TRUE(f.btnOptions.Down());
        EXPECT_TRUE(f.btnKeyaboard.Down());
    }
}

TEST(Hotkeys, KeyCaptureShowsOnlyUsableCombinations) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TEdit& box = h.Form().edHkWindowsKey;
    const std::wstring start = box.Text();
    box.SetFocus();
    auto press = [&](std::uint16_t key, ShiftState shift) {
        h.User([&] { box.KeyDown(key, shift); });
        return box.Text();
    };
    EXPECT_EQ(press('A', {}), start);
    EXPECT_EQ(press('A', {true, false, false}), start);
    EXPECT_EQ(press(116, {}), start);
    EXPECT_EQ(press(192, {}), start);
    EXPECT_EQ(press('A', {false, true, false}), L"Ctrl+A");
    EXPECT_EQ(press(27, {}), L"Esc");
    EXPECT_EQ(press(128, {}), L"F17");
    EXPECT_EQ(press('B', {true, true, true}), L"Shift+Ctrl+Alt+B");
    // Typed characters never reach the box.
    h.User([&] { box.KeyPress(L'x'); });
    EXPECT_EQ(box.Text(), L"Shift+Ctrl+Alt+B");
    // Nor does a key that made a combination: the edit would delete the text at Ctrl+Del.
    std::uint16_t del = 46;
    h.User([&] { box.OnKeyDown(del, {false, true, false}); });
    EXPECT_EQ(box.Text(), L"Ctrl+Del");
    EXPECT_EQ(del, 0);
}

TEST(Hotkeys, ModifierAloneKeepsTheTextAndRegistersItAgainOnRelease) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TEdit& box = h.Form().edHkProgramKey;
    const std::wstring start = box.Text();
    box.SetFocus();
    h.desktop.hotkeys.clear();  // forget the start-up registration to see the new one
    h.User([&] {
        box.KeyDown(17, {false, true, false});
        box.KeyUp(17, {});
    });
    EXPECT_EQ(box.Text(), start);
    const HotKeyRegistration* r = Registered(h.desktop, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->vk, 220u);
    EXPECT_TRUE(h.desktop.messageBoxes.empty());
}

TEST(Hotkeys, NewCombinationReplacesTheOldOnRelease) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TEdit& box = h.Form().edHKSSaverKey;
    box.SetFocus();
    h.User([&] {
        box.KeyDown('S', {false, false, true});
        box.KeyUp('S', {});
    });
    EXPECT_EQ(box.Text(), L"Alt+S");
    const HotKeyRegistration* r = Registered(h.desktop, 2);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->vk, static_cast<std::uint32_t>('S'));
    EXPECT_EQ(r->modifiers, HotKeyMod::Alt | HotKeyMod::NoRepeat);
    EXPECT_EQ(h.desktop.hotkeys.size(), 3u);
}

TEST(Hotkeys, TakenCombinationInABoxShowsThePageAndKeepsTheFocus) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    h.desktop.takenHotkeys.insert({HotKeyMod::Control, 'T'});
    f.btnWindowsClick();
    f.edHkWindowsKey.SetFocus();
    h.User([&] {
        f.edHkWindowsKey.KeyDown('T', {false, true, false});
        f.edHkWindowsKey.KeyUp('T', {});
    });
    ASSERT_EQ(h.desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(h.desktop.messageBoxes[0].text, FailureText(L"Ctrl+T"));
    // The rejected text stays; the old combination is gone too.
    EXPECT_EQ(f.edHkWindowsKey.Text(), L"Ctrl+T");
    EXPECT_EQ(Registered(h.desktop, 0), nullptr);
    EXPECT_EQ(f.MainPageControl.ActivePage(), &f.SheetOptions);
    EXPECT_EQ(f.PageControlSettings.ActivePage(), &f.SheetSetShortcuts);
    EXPECT_TRUE(f.edHkWindowsKey.Focused());

    // The Enter that dismissed the report comes up in the box: it was not pressed there, so
    // the report does not come back. A key pressed there tries again.
    h.User([&] { f.edHkWindowsKey.KeyUp(13, {}); });
    EXPECT_EQ(h.desktop.messageBoxes.size(), 1u);
    h.User([&] {
        f.edHkWindowsKey.KeyDown(17, {false, true, false});
        f.edHkWindowsKey.KeyUp(17, {});
    });
    EXPECT_EQ(h.desktop.messageBoxes.size(), 2u);
}

TEST(Hotkeys, IgnoredWhileAHotkeyBoxHasTheFocus) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    ASSERT_TRUE(f.Visible());
    for (TEdit* box : {&f.edHkWindowsKey, &f.edHkProgramKey, &f.edHKSSaverKey}) {
        box->SetFocus();
        h.User([&] { f.HotKey(1); });
        EXPECT_TRUE(f.Visible()) << box->Name();
    }
    f.btnWindows.SetFocus();
    h.User([&] { f.HotKey(1); });
    EXPECT_FALSE(f.Visible());
    h.User([&] { f.HotKey(1); });
    EXPECT_TRUE(f.Visible());
}

}  // namespace
}  // namespace nv::test
