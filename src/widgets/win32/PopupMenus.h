// The popup menus: a TPopupMenu becomes a native popup menu of owner-drawn items for as long as
// it is shown (TrackMenu in Peers.h). The menu's owner window hands its owner-draw messages to
// RouteMenuMessage.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "widgets/Controls.h"

namespace nv::win32 {

// The picture id (res/resource.h) a menu item's image index shows; 0 for none.
int MenuPictureId(int imageIndex);

// The native menus of one model, drawn at a dpi (their owner window's): every visible item
// owner-drawn, separators kept as separators, disabled items greyed, sub-items in sub-menus.
// Destroys its menus when it goes.
class NativeMenu {
public:
    NativeMenu(TMenuItem& root, int dpi);
    ~NativeMenu();
    NativeMenu(const NativeMenu&) = delete;
    NativeMenu& operator=(const NativeMenu&) = delete;

    HMENU Handle() const { return m_menus.front(); }
    // The model item behind a command id TrackPopupMenu returned; null for none.
    TMenuItem* Command(UINT id) const;

    struct Entry;

private:
    HMENU Build(TMenuItem& parent);
    int m_dpi;
    std::vector<HMENU> m_menus;  // the popup first, then its sub-menus
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<TMenuItem*> m_commands;  // command id i + 1
};

// Answers WM_MEASUREITEM, WM_DRAWITEM and WM_MENUCHAR for the items of a NativeMenu, as its
// owner window receives them; false for any other message (and other menus or controls).
bool RouteMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace nv::win32
