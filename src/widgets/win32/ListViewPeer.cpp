// The report-style list view. The model keeps the items and their order (sorting included) and
// is the only store of rows: the native view is a virtual list (LVS_OWNERDATA) that holds just
// their number and asks for the text and picture of each row it paints. It reports the user's
// selection, keys and right clicks, and carries drags of a row from one list view to another.
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "widgets/win32/Peers.h"

namespace nv::win32 {

namespace {

// The cursor over a list that takes the drop: the arrow with a small plus box beside it.
HCURSOR DropCursor() {
    static HCURSOR cursor = [] {
        static const char* const kArt[] = {
            "X",           "XX",          "X.X",         "X..X",        "X...X",
            "X....X",      "X.....X",     "X......X",    "X.......X",   "X........X",
            "X.....XXXXX", "X..X..X",     "X.X X..X",    "XX  X..X",    "X    X..X",
            "     X..X",   "      XX",    "",
            "          XXXXXXXXXXX",
            "          X.........X",
            "          X....X....X",
            "          X....X....X",
            "          X....X....X",
            "          X.XXXXXXX.X",
            "          X....X....X",
            "          X....X....X",
            "          X....X....X",
            "          X.........X",
            "          XXXXXXXXXXX",
        };
        // Monochrome planes, 32 x 32, one bit a pixel: AND 1 + XOR 0 is transparent,
        // AND 0 + XOR 0 black, AND 0 + XOR 1 white.
        BYTE andPlane[32 * 4], xorPlane[32 * 4];
        std::fill(std::begin(andPlane), std::end(andPlane), 0xFF);
        std::fill(std::begin(xorPlane), std::end(xorPlane), 0x00);
        for (int y = 0; y < static_cast<int>(std::size(kArt)); ++y) {
            for (int x = 0; kArt[y][x]; ++x) {
                char c = kArt[y][x];
                if (c == ' ') continue;
                BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
                andPlane[y * 4 + x / 8] &= static_cast<BYTE>(~bit);
                if (c == '.') xorPlane[y * 4 + x / 8] |= bit;
            }
        }
        HCURSOR made =
            ::CreateCursor(::GetModuleHandleW(nullptr), 0, 0, 32, 32, andPlane, xorPlane);
        return made ? made : ::LoadCursorW(nullptr, IDC_ARROW);
    }();
    return cursor;
}

class ListViewPeer final : public Win32Peer {
public:
    explicit ListViewPeer(TListView& list) : Win32Peer(list), m_list(list) {}

    TListView& List() const { return m_list; }

    void Create(HWND parent) override {
        // Made hidden and set up without redrawing, then shown: a list lays its scroll bars and
        // header out again after each step otherwise (under Wine, six moves of the header a
        // step, some sixty for the set-up). Drawing is left alone for a list that stays hidden:
        // turning it back on would show it.
        CreateNative(parent, WC_LISTVIEWW,
                     (CommonStyle() & ~WS_VISIBLE) | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                         LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
                         LVS_SHAREIMAGELISTS,
                     WS_EX_CLIENTEDGE);
        if (!m_hwnd) return;
        const bool shown = m_model.Visible();
        if (shown) ::SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
        DWORD ex = LVS_EX_DOUBLEBUFFER;
        if (m_list.rowSelect) ex |= LVS_EX_FULLROWSELECT;
        if (m_list.gridLines) ex |= LVS_EX_GRIDLINES;
        ListView_SetExtendedListViewStyle(m_hwnd, ex);
        for (std::size_t i = 0; i < m_list.columns.size(); ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = const_cast<wchar_t*>(m_list.columns[i].caption.c_str());
            column.cx = Scale(m_list.columns[i].width);
            column.iSubItem = static_cast<int>(i);
            ListView_InsertColumn(m_hwnd, static_cast<int>(i), &column);
        }
        ShowRows();
        if (shown) {
            ::ShowWindow(m_hwnd, SW_SHOWNA);
            ::SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
        }
    }

    void DpiChanged() override {
        Win32Peer::DpiChanged();
        for (std::size_t i = 0; i < m_list.columns.size(); ++i)
            ListView_SetColumnWidth(m_hwnd, static_cast<int>(i), Scale(m_list.columns[i].width));
    }

    bool OnNotify(NMHDR* header, LRESULT& result) override {
        switch (header->code) {
            case LVN_GETDISPINFOW:
                RowInfo(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
                result = 0;
                return true;
            case LVN_ODFINDITEMW:
                result = FindRow(*reinterpret_cast<NMLVFINDITEMW*>(header));
                return true;
            case LVN_ITEMCHANGED: {
                auto* change = reinterpret_cast<NMLISTVIEW*>(header);
                if (m_updating || !(change->uChanged & LVIF_STATE) ||
                    !((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                    return false;
                int selected = ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED);
                m_updating = true;  // the model must not echo the selection back
                Dispatch([&] { m_list.SetItemIndex(selected); });
                m_updating = false;
                return false;
            }
            case LVN_BEGINDRAG: {
                auto* drag = reinterpret_cast<NMLISTVIEW*>(header);
                if (!m_list.autoDrag || drag->iItem < 0) return false;
                // A drag carries the row under the mouse: select it first.
                Dispatch([&] { m_list.SetItemIndex(drag->iItem); });
                m_dragging = true;
                ::SetCapture(m_hwnd);
                result = 0;
                return true;
            }
            default:
                return false;
        }
    }

    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_KEYDOWN:
            case WM_KEYUP: {
                auto key = static_cast<std::uint16_t>(wParam);
                ShiftState shift = CurrentShiftState();
                if (m_dragging && msg == WM_KEYDOWN && key == VK_ESCAPE) {
                    ::ReleaseCapture();
                    return 0;
                }
                auto& handler = msg == WM_KEYDOWN ? m_list.OnKeyDown : m_list.OnKeyUp;
                if (handler) Dispatch([&] { handler(key, shift); });
                if (key == 0) return 0;
                wParam = key;
                break;
            }
            case WM_CONTEXTMENU:
                ContextMenu(lParam);
                return 0;
            case WM_MOUSEMOVE:
                if (m_dragging) {
                    bool accept = false;
                    DropTargetAt(lParam, accept);
                    ::SetCursor(accept ? DropCursor() : ::LoadCursorW(nullptr, IDC_NO));
                    return 0;
                }
                break;
            case WM_LBUTTONUP:
                if (m_dragging) {
                    bool accept = false;
                    ListViewPeer* target = DropTargetAt(lParam, accept);
                    ::ReleaseCapture();
                    if (target && accept) Dispatch([&] { target->m_list.DragFrom(m_list); });
                    return 0;
                }
                break;
            case WM_CAPTURECHANGED:
                m_dragging = false;
                break;
            default:
                break;
        }
        return Win32Peer::SubclassProc(msg, wParam, lParam);
    }

protected:
    void OnSync(Prop what, int arg) override {
        switch (what) {
            case Prop::Items:
                ShowRows();
                break;
            case Prop::ItemText:
                if (arg >= 0 && arg < m_list.Count()) ListView_RedrawItems(m_hwnd, arg, arg);
                break;
            case Prop::Selection:
                if (!m_updating) ShowSelection();
                break;
            default:
                break;
        }
    }

private:
    // The text and picture of one row, as the view asks for them.
    void RowInfo(LVITEMW& row) const {
        if (row.iItem < 0 || row.iItem >= m_list.Count()) return;
        const TListItem& item = m_list.Item(row.iItem);
        if ((row.mask & LVIF_TEXT) && row.pszText && row.cchTextMax > 0) {
            static const std::wstring kNone;
            std::size_t sub = static_cast<std::size_t>(row.iSubItem);
            const std::wstring& text = sub == 0                       ? item.Caption()
                                       : sub <= item.SubItems().size() ? item.SubItems()[sub - 1]
                                                                       : kNone;
            ::lstrcpynW(row.pszText, text.c_str(), row.cchTextMax);
        }
        if (row.mask & LVIF_IMAGE) row.iImage = item.ImageIndex();
    }

    // Typing the first letters of a row's caption selects it: the first row from the start
    // row on (and round again) whose caption begins with them, case aside; -1 when none does.
    int FindRow(const NMLVFINDITEMW& find) const {
        if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
        const int wanted = ::lstrlenW(find.lvfi.psz);
        const int count = m_list.Count();
        for (int k = 0; k < count; ++k) {
            int i = (std::max(find.iStart, 0) + k) % count;
            const std::wstring& caption = m_list.Item(i).Caption();
            if (static_cast<int>(caption.size()) < wanted) continue;
            if (::CompareStringOrdinal(caption.c_str(), wanted, find.lvfi.psz, wanted, TRUE) ==
                CSTR_EQUAL)
                return i;
        }
        return -1;
    }

    // The image list may have been made anew (32-bit colour) since the rows were shown.
    void UseCurrentImageList() {
        if (!m_list.smallImages) return;
        HIMAGELIST images = NativeImageList(*m_list.smallImages);
        if (images != m_images) ListView_SetImageList(m_hwnd, images, LVSIL_SMALL);
        m_images = images;
    }

    // The model's rows changed: the view learns their number and paints them afresh.
    void ShowRows() {
        m_updating = true;
        UseCurrentImageList();
        ListView_SetItemCountEx(m_hwnd, m_list.Count(), LVSICF_NOSCROLL);
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
        ShowSelection();
        m_updating = false;
    }

    void ShowSelection() {
        bool was = m_updating;
        m_updating = true;
        ListView_SetItemState(m_hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        int index = m_list.ItemIndex();
        if (index >= 0) {
            ListView_SetItemState(m_hwnd, index, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(m_hwnd, index, FALSE);
        }
        m_updating = was;
    }

    // Right click: select the row under the mouse (or none), then the list's popup menu.
    void ContextMenu(LPARAM lParam) {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (lParam == -1) {  // from the keyboard: at the selected row, or the corner
            RECT r{};
            int index = m_list.ItemIndex();
            if (index < 0 || !ListView_GetItemRect(m_hwnd, index, &r, LVIR_LABEL))
                ::GetClientRect(m_hwnd, &r);
            screen = POINT{r.left, r.bottom};
            ::ClientToScreen(m_hwnd, &screen);
        } else {
            LVHITTESTINFO hit{};
            hit.pt = screen;
            ::ScreenToClient(m_hwnd, &hit.pt);
            int index = ListView_HitTest(m_hwnd, &hit);
            Dispatch([&] { m_list.SetItemIndex(index); });
        }
        if (TPopupMenu* menu = m_list.popupMenu)
            Dispatch([&] { menu->Popup(screen.x, screen.y); });
    }

    // The list view under a point of this window's client area, and whether it takes the drop.
    ListViewPeer* DropTargetAt(LPARAM lParam, bool& accept) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(m_hwnd, &p);
        ListViewPeer* target = nullptr;
        for (HWND w = ::WindowFromPoint(p); w && !target; w = ::GetParent(w))
            target = dynamic_cast<ListViewPeer*>(Of(w));
        accept = false;
        if (!target || !target->m_list.OnDragOver) return target;
        Dispatch([&] { target->m_list.OnDragOver(&m_list, accept); });
        return target;
    }

    TListView& m_list;
    HIMAGELIST m_images = nullptr;
    bool m_updating = false;
    bool m_dragging = false;
};

}  // namespace

std::unique_ptr<Win32Peer> MakeListViewPeer(TListView& list) {
    return std::make_unique<ListViewPeer>(list);
}

}  // namespace nv::win32
