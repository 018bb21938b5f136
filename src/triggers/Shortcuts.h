// The three global hotkeys: shortcut codes and their text form, registration for the main
// window, and the key capture of the three hotkey boxes on the Shortcuts sub-page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/Platform.h"
#include "widgets/Application.h"
#include "widgets/Controls.h"

namespace nv {

// A shortcut: the virtual-key code in bits 0-12, Shift, Ctrl and Alt above; 0 is "none".
using TShortCut = std::uint16_t;
constexpr TShortCut kScShift = 0x2000;
constexpr TShortCut kScCtrl = 0x4000;
constexpr TShortCut kScAlt = 0x8000;
constexpr TShortCut kScKeyMask = 0x1FFF;

// Hotkey ids, registered for the main window.
constexpr int kHotkeyHideRestore = 0;
constexpr int kHotkeyProgramWindow = 1;
constexpr int kHotkeyScreenSaver = 2;

// The key code plus the bits of the held modifiers; 0 when the key code is above 255.
TShortCut MakeShortcut(std::uint16_t key, ShiftState shift);
// The name of one key: the program's own table, else the platform's name for it (which
// depends on the keyboard layout); empty when the key has none.
std::wstring KeyName(IWindowManager& windows, std::uint32_t virtualKey);
// "Shift+Ctrl+Alt+Name", prefixes in that fixed order; empty when the key has no name.
std::wstring FormatShortcut(IWindowManager& windows, TShortCut shortcut);
// The reverse, without regard to letter case; the prefixes "Shift+", "^", "Ctrl+", "Alt+" may
// come in any order and repeat. A text that names no key gives 0.
TShortCut ParseShortcut(IWindowManager& windows, IKernel& kernel, const std::wstring& text);
// The RegisterHotKey modifier flags of a shortcut (without MOD_NOREPEAT).
std::uint32_t HotKeyModifiers(TShortCut shortcut);

// The key-down filter of a hotkey box: false (and key cleared) for the keys that cannot make a
// hotkey on their own (Backspace, plain or shifted typing keys, a modifier pressed alone).
bool IsShortcutKey(std::uint16_t& key, ShiftState shift);

// The three hotkeys of the main window and the key capture of its three hotkey boxes.
class THotkeys {
public:
    // What the hotkeys need of the main window.
    struct TOwner {
        IWindowManager& windows;
        IKernel& kernel;
        TApplication& app;
        std::function<WindowHandle()> window;     // the window the hotkeys are registered for
        std::function<void()> showShortcutsPage;  // where a failed registration is shown
    };
    explicit THotkeys(TOwner owner) : m_owner(std::move(owner)) {}

    // Registers one hotkey from its box's text as this keyboard layout reads it. A text the
    // layout cannot read back (the "`" of the default where no key is named so) is registered
    // from the key code stored with it, and the box then shows the layout's name for that key.
    // On failure tells the user why and leaves the id unregistered.
    bool AssignShortcut(int id, TEdit& box);
    // All three, each regardless of the others; true when all succeeded.
    bool AssignAllShortcuts(TEdit& windowsKey, TEdit& programKey, TEdit& saverKey);
    void UnregisterAllShortcuts();

    // The key code kept with each hotkey's text (0: none), which the settings store loads and
    // saves beside the text.
    TShortCut StoredCode(int id) const { return m_codes.at(static_cast<std::size_t>(id)); }
    void SetStoredCode(int id, TShortCut code) { m_codes.at(static_cast<std::size_t>(id)) = code; }

    // Key capture of a hotkey box. A key that makes a combination shows it in the box and goes
    // no further; the release of a key pressed in the box registers the box's text.
    void BoxKeyDown(TEdit& box, std::uint16_t& key, ShiftState shift, int id);
    static void BoxKeyPress(wchar_t& ch) { ch = 0; }
    void BoxKeyUp(TEdit& box, std::uint16_t key, int id);

private:
    TOwner m_owner;
    std::array<TShortCut, 3> m_codes{};
    std::set<std::uint16_t> m_keysDown;  // pressed in a box and not yet released there
};

}  // namespace nv
