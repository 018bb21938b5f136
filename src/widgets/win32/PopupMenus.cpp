// The popup menus, measured and drawn by the program: a column of pictures at the left (the menu
// pictures by image index), the caption with its mnemonic, the shortcut at the right, thin
// separators, grey disabled items and a selection in a light tint of the accent colour (the
// system's highlight colours in high contrast). Windows finds no mnemonic in an owner-drawn
// item, so the letter keys are answered here too (WM_MENUCHAR).
#include "widgets/win32/PopupMenus.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string>

#include "res/resource.h"
#include "widgets/Application.h"
#include "widgets/MenuPictures.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"

namespace nv::win32 {

struct NativeMenu::Entry {
    TMenuItem* item = nullptr;  // null for a separator
    std::wstring caption;
    std::wstring shortCut;
    std::wstring text;  // the item's text for screen readers: caption, tab, shortcut
    int imageIndex = -1;
    int dpi = 96;  // its owner window's
};

namespace {

// ImgListMenuItems: the picture of each image index, in the order of MenuPicture.
constexpr int ImgListMenuItems[] = {
    IDP_MENU_DISPLAY_MODE,  // kPicDisplayMode
    IDP_MENU_COLOUR_DEPTH,  // kPicColourDepth
    IDP_MENU_REFRESH_RATE,  // kPicRefreshRate
    IDP_MENU_ADD,           // kPicAddToList
    IDP_MENU_REFRESH,       // kPicRefresh
    IDP_MENU_ALL_WINDOWS,   // kPicAllWindows
    IDP_MENU_REMOVE,        // kPicRemoveEntry
    IDP_MENU_CLEAR,         // kPicClearList
    IDP_MENU_FROM_DISK,     // kPicAddFromDisk
};
static_assert(std::size(ImgListMenuItems) == kMenuPictureCount);

// The light tints of the accent colour RGB(11, 75, 140): about 15 % of it over white behind the
// selected item, 20 % for the separator lines.
constexpr COLORREF kSelectionFill = RGB(218, 228, 238);
constexpr COLORREF kSeparatorLine = RGB(206, 219, 232);
constexpr BYTE kFadedPicture = 96;  // the opacity of a disabled item's picture

// The items' measures in pixels at a dpi.
struct Metrics {
    explicit Metrics(int dpi) : dpi(dpi) {}
    int dpi;
    int pictureColumn = ScaleFor(dpi, 26);  // the picture is centred in it
    int textGap = ScaleFor(dpi, 6);         // from the column to the caption
    int shortcutGap = ScaleFor(dpi, 24);    // the least room between caption and shortcut
    int rightPad = ScaleFor(dpi, 10);
    int itemHeight = ScaleFor(dpi, 22);  // at least; or the font's height and textPad
    int textPad = ScaleFor(dpi, 8);
    int separatorHeight = ScaleFor(dpi, 7);
    int inset = ScaleFor(dpi, 2);        // of the selection inside the item
    int arrowRight = ScaleFor(dpi, 14);  // a sub-menu's arrow: from the right edge, and half
    int arrowHalf = ScaleFor(dpi, 4);    // its height
    HFONT font = FontFor(dpi, false);
};

// The live menus: the owner-draw messages name their items by pointer and their menus by handle,
// and are answered only for what is still there.
std::set<const NativeMenu::Entry*>& LiveEntries() {
    static std::set<const NativeMenu::Entry*> entries;
    return entries;
}
std::set<HMENU>& LiveMenus() {
    static std::set<HMENU> menus;
    return menus;
}

const NativeMenu::Entry* EntryOf(ULONG_PTR data) {
    auto* entry = reinterpret_cast<const NativeMenu::Entry*>(data);
    return LiveEntries().count(entry) ? entry : nullptr;
}

// The letter after the caption's single "&" ("&&" stands for a plain "&"); 0 when it has none.
wchar_t Mnemonic(const std::wstring& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] != L'&') return caption[i + 1];
        ++i;
    }
    return 0;
}

// The caption as drawn without keyboard cues: no underline, "&&" as "&".
std::wstring WithoutPrefix(const std::wstring& caption) {
    std::wstring plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(
        ::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

SIZE TextSize(HDC dc, const std::wstring& text, UINT format) {
    RECT r{};
    ::DrawTextW(dc, text.c_str(), -1, &r, format | DT_SINGLELINE | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

void Measure(const NativeMenu::Entry& entry, MEASUREITEMSTRUCT& measure) {
    Metrics k(entry.dpi);
    if (!entry.item) {
        measure.itemWidth = k.pictureColumn;
        measure.itemHeight = k.separatorHeight;
        return;
    }
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, k.font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    int width = k.pictureColumn + k.textGap + TextSize(dc, entry.caption, 0).cx + k.rightPad;
    if (!entry.shortCut.empty())
        width += k.shortcutGap + TextSize(dc, entry.shortCut, DT_NOPREFIX).cx;
    if (!entry.item->items.empty()) width += k.arrowRight;
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight =
        static_cast<UINT>(std::max<int>(k.itemHeight, metrics.tmHeight + k.textPad));
}

// The picture with its alpha channel, at its size at a dpi, at an overall opacity.
void BlendPicture(HDC dc, const Picture& picture, int x, int y, int dpi, BYTE opacity) {
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, picture.bitmap);
    SIZE size = PictureSize(picture, dpi);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, x, y, size.cx, size.cy, source, 0, 0, picture.width, picture.height, blend);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

void Draw(const NativeMenu::Entry& entry, const DRAWITEMSTRUCT& draw) {
    Metrics k(entry.dpi);
    HDC dc = draw.hDC;
    RECT r = draw.rcItem;
    bool contrast = HighContrast();
    ::FillRect(dc, &r, SolidBrush(::GetSysColor(COLOR_MENU)));
    if (!entry.item) {
        int y = (r.top + r.bottom) / 2;
        RECT line{r.left + k.pictureColumn + k.textGap, y, r.right - k.inset, y + 1};
        ::FillRect(dc, &line,
                   SolidBrush(contrast ? ::GetSysColor(COLOR_MENUTEXT) : kSeparatorLine));
        return;
    }
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    COLORREF text = ::GetSysColor(COLOR_MENUTEXT);
    if (selected) {
        RECT fill = r;
        ::InflateRect(&fill, -k.inset, 0);
        if (contrast) {
            ::FillRect(dc, &fill, SolidBrush(::GetSysColor(COLOR_HIGHLIGHT)));
            text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else {
            ::FillRect(dc, &fill, SolidBrush(kSelectionFill));
            ::FrameRect(dc, &fill, SolidBrush(kAccent));
        }
    }
    if (disabled) text = ::GetSysColor(COLOR_GRAYTEXT);

    int id = MenuPictureId(entry.imageIndex);
    if (const Picture* picture = id ? PictureFor(id, k.dpi) : nullptr) {
        SIZE size = PictureSize(*picture, k.dpi);
        BlendPicture(dc, *picture, r.left + (k.pictureColumn - size.cx) / 2,
                     r.top + (r.bottom - r.top - size.cy) / 2, k.dpi,
                     disabled ? kFadedPicture : 255);
    }

    HGDIOBJ old = ::SelectObject(dc, k.font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, text);
    RECT area{r.left + k.pictureColumn + k.textGap, r.top, r.right - k.rightPad, r.bottom};
    // The mnemonic is underlined only when the system shows keyboard cues for this menu (Wine's
    // DrawText ignores DT_HIDEPREFIX, so the marks are taken out here).
    if (draw.itemState & ODS_NOACCEL)
        ::DrawTextW(dc, WithoutPrefix(entry.caption).c_str(), -1, &area,
                    DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    else
        ::DrawTextW(dc, entry.caption.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!entry.shortCut.empty())
        ::DrawTextW(dc, entry.shortCut.c_str(), -1, &area,
                    DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    if (!entry.item->items.empty()) {
        // The sub-menu's arrow, in the caption's colour. Windows would draw its own over the
        // item afterwards, in the colours of the classic menu and across the selection's frame:
        // the item is taken out of the drawing area for that.
        int x = r.right - k.arrowRight, y = (r.top + r.bottom) / 2, half = k.arrowHalf;
        POINT arrow[] = {{x, y - half}, {x + half, y}, {x, y + half}};
        HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
        HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(DC_BRUSH));
        ::SetDCPenColor(dc, text);
        ::SetDCBrushColor(dc, text);
        ::Polygon(dc, arrow, 3);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
        ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

// The item of a letter key in one menu: executed when it is the only enabled item with that
// mnemonic, selected when several share it (the next after the selected one) or it is disabled.
LRESULT MenuChar(HMENU menu, wchar_t key) {
    std::vector<int> matches;
    int current = -1;
    bool onlyEnabled = false;
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA | MIIM_STATE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.fState & MFS_HILITE) current = i;
        const NativeMenu::Entry* entry = EntryOf(info.dwItemData);
        if (!entry || !entry->item) continue;
        wchar_t letter = Mnemonic(entry->caption);
        if (letter == 0 || Upper(letter) != Upper(key)) continue;
        matches.push_back(i);
        onlyEnabled = matches.size() == 1 && !(info.fState & MFS_GRAYED);
    }
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1 && onlyEnabled) return MAKELRESULT(matches.front(), MNC_EXECUTE);
    auto next = std::upper_bound(matches.begin(), matches.end(), current);
    return MAKELRESULT(next != matches.end() ? *next : matches.front(), MNC_SELECT);
}

LRESULT CALLBACK OwnerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteMenuMessage(msg, wParam, lParam, result)) return result;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The owner of a menu shown while none of the program's windows is active: hidden, never shown.
HWND SpareOwner() {
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NivoraMenuOwner";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    }();
    return window;
}

// The active window when it is one of the program's (its peer routes the owner-draw messages
// here), else the main form's, else the spare owner.
HWND MenuOwner() {
    HWND active = ::GetActiveWindow();
    if (Win32Peer::Of(active)) return active;
    auto* app = TApplication::Current();
    if (app && app->MainForm())
        if (HWND main = reinterpret_cast<HWND>(app->MainForm()->Handle())) return main;
    return SpareOwner();
}

}  // namespace

int MenuPictureId(int imageIndex) {
    return imageIndex >= 0 && imageIndex < kMenuPictureCount ? ImgListMenuItems[imageIndex] : 0;
}

NativeMenu::NativeMenu(TMenuItem& root, int dpi) : m_dpi(dpi) {
    Build(root);
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND | MIM_APPLYTOSUBMENUS;
    info.hbrBack = SolidBrush(::GetSysColor(COLOR_MENU));  // around the items as behind them
    ::SetMenuInfo(Handle(), &info);
}

HMENU NativeMenu::Build(TMenuItem& parent) {
    HMENU menu = ::CreatePopupMenu();
    m_menus.push_back(menu);  // the popup first: it is made before its sub-menus
    LiveMenus().insert(menu);
    for (auto& child : parent.items) {
        TMenuItem& item = *child;
        if (!item.visible) continue;
        auto entry = std::make_unique<Entry>();
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STATE | MIIM_ID;
        info.fType = MFT_OWNERDRAW;
        if (item.IsSeparator()) {
            info.fType |= MFT_SEPARATOR;
        } else {
            entry->item = &item;
            entry->caption = item.caption;
            entry->shortCut = item.shortCut;
            entry->imageIndex = item.imageIndex;
            entry->dpi = m_dpi;
            // Owner-drawn items keep their text too, for screen readers (and Windows' own
            // search for the mnemonic, where it looks at an owner-drawn item's text).
            entry->text =
                item.shortCut.empty() ? item.caption : item.caption + L"\t" + item.shortCut;
            info.fMask |= MIIM_STRING;
            info.dwTypeData = entry->text.data();
            info.fState = item.enabled ? MFS_ENABLED : MFS_GRAYED;
            if (!item.items.empty()) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = Build(item);
            } else {
                m_commands.push_back(&item);
                info.wID = static_cast<UINT>(m_commands.size());
            }
        }
        info.dwItemData = reinterpret_cast<ULONG_PTR>(entry.get());
        LiveEntries().insert(entry.get());
        ::InsertMenuItemW(menu, static_cast<UINT>(::GetMenuItemCount(menu)), TRUE, &info);
        m_entries.push_back(std::move(entry));
    }
    return menu;
}

NativeMenu::~NativeMenu() {
    for (auto& entry : m_entries) LiveEntries().erase(entry.get());
    for (HMENU menu : m_menus) LiveMenus().erase(menu);
    ::DestroyMenu(Handle());  // and its sub-menus with it
}

TMenuItem* NativeMenu::Command(UINT id) const {
    return id >= 1 && id <= m_commands.size() ? m_commands[id - 1] : nullptr;
}

bool RouteMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            const NativeMenu::Entry* entry =
                measure->CtlType == ODT_MENU ? EntryOf(measure->itemData) : nullptr;
            if (!entry) return false;
            Measure(*entry, *measure);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            const NativeMenu::Entry* entry =
                draw->CtlType == ODT_MENU ? EntryOf(draw->itemData) : nullptr;
            if (!entry) return false;
            Draw(*entry, *draw);
            result = TRUE;
            return true;
        }
        case WM_MENUCHAR: {
            auto menu = reinterpret_cast<HMENU>(lParam);
            if (!LiveMenus().count(menu)) return false;
            result = MenuChar(menu, static_cast<wchar_t>(LOWORD(wParam)));
            return true;
        }
        default:
            return false;
    }
}

// Shows the menu and runs the chosen item's click; the menu's own loop returns the choice.
void TrackMenu(TPopupMenu& menu, int x, int y) {
    TMenuItem* chosen = nullptr;
    {
        HWND owner = MenuOwner();
        NativeMenu native(menu.items, DpiOf(owner));
        UINT id = ::TrackPopupMenu(native.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0,
                                   owner, nullptr);
        chosen = native.Command(id);
    }
    if (chosen && chosen->enabled) Dispatch([chosen] { chosen->Click(); });
}

}  // namespace nv::win32
