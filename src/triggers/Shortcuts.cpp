#include "triggers/Shortcuts.h"


namespace nv {

namespace {

struct TNamedKey {
    std::uint32_t vk;
    const wchar_t* name;
};
// The program's own names, the same on every keyboard layout.
constexpr TNamedKey kNamedKeys[] = {
    {8, L"BkSp"},  {9, L"Tab"},    {13, L"Enter"}, {27, L"Esc"},  {32, L"Space"},
    {33, L"PgUp"}, {34, L"PgDn"},  {35, L"End"},   {36, L"Home"}, {37, L"Left"},
    {38, L"Up"},   {39, L"Right"}, {40, L"Down"},  {45, L"Ins"},  {46, L"Del"},
};

constexpr std::uint16_t kVkBack = 8;
constexpr std::uint16_t kVkShift = 16;
constexpr std::uint16_t kVkControl = 17;
constexpr std::uint16_t kVkMenu = 18;

}  // namespace

TShortCut MakeShortcut(std::uint16_t key, ShiftState shift) {
    if (key > 255) return 0;
    TShortCut code = key;
    if (shift.shift) code |= kScShift;
    if (shift.ctrl) code |= kScCtrl;
    if (shift.alt) code |= kScAlt;
    return code;
}

std::wstring KeyName(IWindowManager& windows, std::uint32_t vk) {
    for (const TNamedKey& k : kNamedKeys)
        if (k.vk == vk) return k.name;
    if (vk >= 48 && vk <= 57) return std::wstring(1, static_cast<wchar_t>(vk));
    if (vk >= 65 && vk <= 90) return std::wstring(1, static_cast<wchar_t>(vk));
    // The keypad digits read like the main keyboard's, so they parse back to those.
    if (vk >= 96 && vk <= 105) return std::wstring(1, static_cast<wchar_t>(L'0' + vk - 96));
    if (vk >= 112 && vk <= 135) return L"F" + std::to_wstring(vk - 111);
    std::uint32_t scan = windows.MapVirtualKeyW(vk);
    if (scan == 0) return {};
    return windows.GetKeyNameTextW(static_cast<std::int32_t>((scan & 0xFF) << 16));
}

std::wstring FormatShortcut(IWindowManager& windows, TShortCut shortcut) {
    std::wstring name = KeyName(windows, shortcut & 0xFF);
    if (name.empty()) return {};
    std::wstring text;
    if (shortcut & kScShift) text += L"Shift+";
    if (shortcut & kScCtrl) text += L"Ctrl+";
    if (shortcut & kScAlt) text += L"Alt+";
    return text + name;
}

TShortCut ParseShortcut(IWindowManager& windows, IKernel& kernel, const std::wstring& text) {
    std::wstring rest = text;
    TShortCut modifiers = 0;
    for (;;) {
        if (TakePrefix(kernel, rest, L"Shift+"))
            modifiers |= kScShift;
        else if (TakePrefix(kernel, rest, L"^") || TakePrefix(kernel, rest, L"Ctrl+"))
            modifiers |= kScCtrl;
        else if (TakePrefix(kernel, rest, L"Alt+"))
            modifiers |= kScAlt;
        else
            break;
    }
    if (rest.empty()) return 0;
    // The lowest code whose name matches wins: the keypad digits give the main digits, and a
    // name the platform gives two keys resolves to the lower one. Names above 255 repeat those
    // of the low byte, so the key found is always a single byte.
    for (std::uint32_t code = 8; code <= 597; ++code) {
        std::uint32_t key = code & 0xFF;
        if (SameText(kernel, KeyName(windows, key), rest)) return static_cast<TShortCut>(key | modifiers);
    }
    return 0;
}

std::uint32_t HotKeyModifiers(TShortCut shortcut) {
    std::uint32_t flags = 0;
    if (shortcut & kScShift) flags |= HotKeyMod::Shift;
    if (shortcut & kScCtrl) flags |= HotKeyMod::Control;
    if (shortcut & kScAlt) flags |= HotKeyMod::Alt;
    return flags;
}

bool IsShortcutKey(std::uint16_t& key, ShiftState shift) {
    bool plain = !shift.ctrl && !shift.alt;  // nothing, or Shift alone
    bool swallow =
        key == kVkBack ||
        (plain && ((key >= 32 && key <= 127) || key == 192 || (key >= 219 && key <= 221))) ||
        (key == kVkControl && shift.ctrl) || (key == kVkShift && shift.shift) ||
        (key == kVkMenu && shift.alt);
    if (swallow) key = 0;
    return !swallow;
}

bool THotkeys::AssignShortcut(int id, TEdit& box) {
    IWindowManager& windows = m_owner.windows;
    const WindowHandle window = m_owner.window();
    windows.UnregisterHotKey(window, id);
    TShortCut code = ParseShortcut(windows, m_owner.kernel, box.Text());
    if ((code & kScKeyMask) == 111) code = (code & ~kScKeyMask) | 191;  // the slash key's name
    if (code & kScKeyMask) {
        SetStoredCode(id, code);
    } else if (StoredCode(id) & kScKeyMask) {
        // Another keyboard layout, whose keys bear other names: the key is the same.
        code = StoredCode(id);
        std::wstring shown = FormatShortcut(windows, code);
        if (!shown.empty()) box.SetText(shown);
    }
    auto failed = [&](const wchar_t* why) {
        m_owner.app.MessageBox(L"Unable to assign shortcut: " + box.Text() + why +
                                   L"\n\rPlease try a different key combination.",
                               MessageBoxKind::Plain);
        return false;
    };
    // A text that names no key is not a hotkey: registering key 0 would either fail obscurely
    // or claim a combination nobody can press.
    if (!(code & kScKeyMask)) return failed(L"\n\rThis keyboard has no such key!");
    // MOD_NOREPEAT keeps a held combination from running its action over and over.
    if (!windows.RegisterHotKey(window, id, HotKeyModifiers(code) | HotKeyMod::NoRepeat,
                                code & kScKeyMask))
        return failed(L"\n\rThe shortcut is in use!");
    return true;
}

bool THotkeys::AssignAllShortcuts(TEdit& windowsKey, TEdit& programKey, TEdit& saverKey) {
    bool windowsOk = AssignShortcut(kHotkeyHideRestore, windowsKey);
    bool programOk = AssignShortcut(kHotkeyProgramWindow, programKey);
    bool saverOk = AssignShortcut(kHotkeyScreenSaver, saverKey);
    return windowsOk && programOk && saverOk;
}

void THotkeys::UnregisterAllShortcuts() {
    for (int id : {kHotkeyHideRestore, kHotkeyProgramWindow, kHotkeyScreenSaver})
        m_owner.windows.UnregisterHotKey(m_owner.window(), id);
}

void THotkeys::BoxKeyDown(TEdit& box, std::uint16_t& key, ShiftState shift, int id) {
    m_keysDown.insert(key);
    if (!IsShortcutKey(key, shift)) return;
    TShortCut code = MakeShortcut(key, shift);
    box.SetText(FormatShortcut(m_owner.windows, code));
    SetStoredCode(id, code);
    // The combination is all the box wants of the key. Left to the edit, Ctrl+Del would delete
    // the text just shown and Alt+F4 would close the window.
    key = 0;
}

void THotkeys::BoxKeyUp(TEdit& box, std::uint16_t key, int id) {
    // Only a key pressed in the box counts. The Enter or Esc that dismisses the failure report
    // is pressed in the report and released here: taking it would try the same combination
    // again and bring the report back, over and over.
    if (m_keysDown.erase(key) == 0) return;
    if (AssignShortcut(id, box)) return;
    m_owner.showShortcutsPage();
    box.SetFocus();
}

}  // namespace nv
