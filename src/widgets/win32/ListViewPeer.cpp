// The report-style list view. The model keeps the items and their order (sorting included);
// the native view shows them, reports the user's selection, keys and right clicks, and carries
// drags of a row from one list view to another.
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <vector>

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
        CreateNative(parent, WC_LISTVIEWW,
                     CommonStyle() | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                         LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
                     WS_EX_CLIENTEDGE);
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
        Rebuild();
    }

    bool OnNotify(NMHDR* header, LRESULT& result) override {
        switch (header->code) {
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
                UseCurrentImageList();
                if (arg == TListView::kAllRows || !SyncOneChange()) Rebuild();
                break;
            case Prop::ItemText:
                if (arg >= 0 && arg < m_list.Count()) SetRow(arg, false);
                break;
            case Prop::Selection:
                if (!m_updating) ShowSelection();
                break;
            default:
                break;
        }
    }

private:
    void SetRow(int index, bool insert) {
        const TListItem& item = m_list.Item(index);
        LVITEMW row{};
        row.mask = LVIF_TEXT | LVIF_IMAGE;
        row.iItem = index;
        row.pszText = const_cast<wchar_t*>(item.Caption().c_str());
        row.iImage = item.ImageIndex();
        if (insert)
            ListView_InsertItem(m_hwnd, &row);
        else
            ListView_SetItem(m_hwnd, &row);
        for (std::size_t i = 0; i + 1 < m_list.columns.size(); ++i) {
            const wchar_t* text = i < item.SubItems().size() ? item.SubItems()[i].c_str() : L"";
            ListView_SetItemText(m_hwnd, index, static_cast<int>(i + 1),
                                 const_cast<wchar_t*>(text));
        }
    }

    // Most changes of the items are one row added, removed or moved (an added row of a sorted
    // list moves into place when its caption is set): apply those row by row, so that filling
    // a list costs one insertion per row instead of a rebuild per row.
    bool SyncOneChange() {
        std::vector<const TListItem*> now;
        for (int i = 0; i < m_list.Count(); ++i) now.push_back(&m_list.Item(i));
        const auto& was = m_rows;
        std::size_t prefix = 0;
        while (prefix < was.size() && prefix < now.size() && was[prefix] == now[prefix]) ++prefix;
        std::size_t suffix = 0;
        while (suffix < was.size() - prefix && suffix < now.size() - prefix &&
               was[was.size() - 1 - suffix] == now[now.size() - 1 - suffix])
            ++suffix;
        std::size_t oldMiddle = was.size() - prefix - suffix;
        std::size_t newMiddle = now.size() - prefix - suffix;
        bool done = true;
        m_updating = true;
        if (oldMiddle == 0 && newMiddle == 0) {
            // Nothing moved, but a caption may have changed in place.
            for (int i = 0; i < m_list.Count(); ++i) SetRow(i, false);
        } else if (oldMiddle == 0 && newMiddle == 1) {
            m_rows = now;
            SetRow(static_cast<int>(prefix), true);
        } else if (oldMiddle == 1 && newMiddle == 0) {
            ListView_DeleteItem(m_hwnd, static_cast<int>(prefix));
            m_rows = now;
        } else if (oldMiddle == newMiddle && oldMiddle >= 2 &&
                   std::equal(was.begin() + prefix, was.begin() + prefix + oldMiddle - 1,
                              now.begin() + prefix + 1)) {
            // The last row of the changed stretch moved to its front.
            ListView_DeleteItem(m_hwnd, static_cast<int>(prefix + oldMiddle - 1));
            m_rows = now;
            SetRow(static_cast<int>(prefix), true);
        } else if (oldMiddle == newMiddle && oldMiddle >= 2 &&
                   std::equal(was.begin() + prefix + 1, was.begin() + prefix + oldMiddle,
                              now.begin() + prefix)) {
            // The first row of the changed stretch moved to its end.
            ListView_DeleteItem(m_hwnd, static_cast<int>(prefix));
            m_rows = now;
            SetRow(static_cast<int>(prefix + newMiddle - 1), true);
        } else {
            done = false;
        }
        if (done) ShowSelection();
        m_updating = false;
        return done;
    }

    // The image list may have been made anew (32-bit colour) since the rows were shown.
    void UseCurrentImageList() {
        if (!m_list.smallImages) return;
        HIMAGELIST images = NativeImageList(*m_list.smallImages);
        if (images != m_images) ListView_SetImageList(m_hwnd, images, LVSIL_SMALL);
        m_images = images;
    }

    void Rebuild() {
        m_rows.clear();
        for (int i = 0; i < m_list.Count(); ++i) m_rows.push_back(&m_list.Item(i));
        m_updating = true;
        ::SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
        UseCurrentImageList();
        ListView_DeleteAllItems(m_hwnd);
        for (int i = 0; i < m_list.Count(); ++i) SetRow(i, true);
        ShowSelection();
        ::SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
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
    std::vector<const TListItem*> m_rows;  // the records the native rows show, in order
    bool m_updating = false;
    bool m_dragging = false;
};

}  // namespace

std::unique_ptr<Win32Peer> MakeListViewPeer(TListView& list) {
    return std::make_unique<ListViewPeer>(list);
}

}  // namespace nv::win32
