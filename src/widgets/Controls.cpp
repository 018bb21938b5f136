#include "widgets/Controls.h"

#include <algorithm>

#include "widgets/Application.h"

namespace nv {

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TControl* parent, std::string name) : m_name(std::move(name)), m_parent(parent) {
    if (m_parent) m_parent->m_children.push_back(this);
}

TControl::~TControl() {
    if (auto* app = TApplication::Current()) app->ControlDestroyed(this);
    m_peer.reset();
    if (m_parent) {
        auto& siblings = m_parent->m_children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (TControl* child : m_children) child->m_parent = nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    Rect r{left, top, left + width, top + height};
    if (r.left == m_bounds.left && r.top == m_bounds.top && r.right == m_bounds.right &&
        r.bottom == m_bounds.bottom)
        return;
    m_bounds = r;
    Changed(Prop::Bounds);
    Realign();
}

void TControl::SetAlign(Align align) {
    m_align = align;
    if (m_parent) m_parent->Realign();
}

Rect TControl::ClientRect() const { return Rect{0, 0, Width(), Height()}; }

void TControl::Realign() {
    Rect area = ClientRect();
    auto place = [](TControl* c, int l, int t, int w, int h) {
        c->SetBounds(l, t, std::max(0, w), std::max(0, h));
    };
    // Top and bottom edges take the full width first, then left and right, then the client.
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right}) {
        for (TControl* c : m_children) {
            if (!c->m_visible || c->m_align != pass) continue;
            switch (pass) {
                case Align::Top:
                    place(c, area.left, area.top, area.Width(), c->Height());
                    area.top += c->Height();
                    break;
                case Align::Bottom:
                    place(c, area.left, area.bottom - c->Height(), area.Width(), c->Height());
                    area.bottom -= c->Height();
                    break;
                case Align::Left:
                    place(c, area.left, area.top, c->Width(), area.Height());
                    area.left += c->Width();
                    break;
                case Align::Right:
                    place(c, area.right - c->Width(), area.top, c->Width(), area.Height());
                    area.right -= c->Width();
                    break;
                default:
                    break;
            }
        }
    }
    for (TControl* c : m_children) {
        if (c->m_visible && c->m_align == Align::Client)
            place(c, area.left, area.top, area.Width(), area.Height());
    }
}

void TControl::SetVisible(bool visible) {
    if (m_visible == visible) return;
    m_visible = visible;
    Changed(Prop::Visible);
    if (m_parent && m_align != Align::None) m_parent->Realign();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->m_parent)
        if (!c->m_visible) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Changed(Prop::Enabled);
}

void TControl::SetCaption(const std::wstring& text) {
    if (m_text == text) return;
    m_text = text;
    Changed(Prop::Text);
}

void TControl::SetHint(const std::wstring& text) {
    if (hint == text) return;
    hint = text;
    Changed(Prop::Hint);
}

bool TControl::Focused() const {
    auto* app = TApplication::Current();
    return app && app->FocusedControl() == this;
}

bool TControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->m_parent)
        if (!c->m_visible || !c->m_enabled) return false;
    return true;
}

void TControl::SetFocus() {
    if (auto* app = TApplication::Current()) app->SetFocusedControl(this);
    Changed(Prop::Focus);
}

void TControl::PeerFocused() {
    if (auto* app = TApplication::Current()) app->SetFocusedControl(this);
}

void TControl::AttachPeer(std::unique_ptr<IControlPeer> peer) { m_peer = std::move(peer); }

int TControl::EffectiveHelpContext() const {
    for (const TControl* c = this; c; c = c->m_parent)
        if (c->helpContext != 0) return c->helpContext;
    return 0;
}

void TControl::Changed(Prop what, int arg) {
    if (m_peer) m_peer->Sync(what, arg);
}

// ---------------------------------------------------------------------------------------------
// Simple controls

void TLabel::Click() {
    if (OnClick) OnClick();
}

Rect TGroupBox::ClientRect() const { return Rect{6, 16, Width() - 6, Height() - 6}; }

void TButton::Click() {
    if (OnClick) OnClick();
    if (dropDownMenu) {
        Rect screen = Peer() ? Peer()->ScreenBounds() : Rect{};
        dropDownMenu->Popup(screen.left, screen.bottom);
    }
}

void TSpeedButton::SetDown(bool down) {
    if (m_down == down) return;
    if (!down && groupIndex != 0 && !allowAllUp) return;  // one of a group always stays down
    m_down = down;
    if (down && groupIndex != 0 && Parent()) {
        for (TControl* sibling : Parent()->Children()) {
            auto* other = dynamic_cast<TSpeedButton*>(sibling);
            if (other && other != this && other->groupIndex == groupIndex && other->m_down) {
                other->m_down = false;
                other->Changed(Prop::Down);
            }
        }
    }
    Changed(Prop::Down);
}

void TSpeedButton::Click() {
    if (groupIndex != 0) {
        SetDown(allowAllUp ? !m_down : true);
    }
    TButton::Click();
}

void TCheckBox::SetChecked(bool checked) {
    if (m_checked == checked) return;
    m_checked = checked;
    Changed(Prop::Checked);
    if (OnClick) OnClick();
}

void TCheckBox::SetCheckedSilently(bool checked) {
    NotifyEvent handler = std::move(OnClick);
    OnClick = nullptr;
    SetChecked(checked);
    OnClick = std::move(handler);
}

void TCheckBox::Click() { SetChecked(!m_checked); }

void TEdit::SetReadOnly(bool readOnly) {
    if (m_readOnly == readOnly) return;
    m_readOnly = readOnly;
    Changed(Prop::ReadOnly);
}

void TEdit::SetCaption(const std::wstring& text) {
    if (text == Caption()) return;
    TControl::SetCaption(text);
    if (OnChange) OnChange();
}

void TEdit::PeerTextChanged(const std::wstring& text) {
    // The native control already shows the text: store it without echoing it back.
    if (text == Caption()) return;
    StoreCaption(text);
    if (OnChange) OnChange();
}

void TEdit::KeyDown(std::uint16_t key, ShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

void TEdit::KeyPress(wchar_t ch) {
    if (OnKeyPress) OnKeyPress(ch);
    if (ch == 0 || m_readOnly) return;
    if (ch == 8) {
        if (!Text().empty()) SetText(Text().substr(0, Text().size() - 1));
    } else if (ch >= 32) {
        SetText(Text() + ch);
    }
}

void TEdit::KeyUp(std::uint16_t key, ShiftState shift) {
    if (OnKeyUp) OnKeyUp(key, shift);
}

void TSpinEdit::SetValue(int value) {
    value = std::clamp(value, minValue, maxValue);
    if (value == m_value) return;
    m_value = value;
    Changed(Prop::Position);
    if (OnChange) OnChange();
}

void TSlider::SetPosition(int position) {
    position = std::clamp(position, minValue, maxValue);
    if (position == m_position) return;
    m_position = position;
    Changed(Prop::Position);
}

void TSlider::UserSetPosition(int position) {
    position = std::clamp(position, minValue, maxValue);
    if (position == m_position) return;
    m_position = position;
    if (OnChange) OnChange();
}

int TSplitter::MoveBy(int delta) {
    TControl* parent = Parent();
    if (!parent || delta == 0) return 0;
    // The neighbour on the splitter's side of alignment, and the client control beyond it.
    TControl* before = nullptr;
    TControl* client = nullptr;
    for (TControl* c : parent->Children()) {
        if (c == this) break;
        if (c->GetAlign() == GetAlign() && c->Visible()) before = c;
    }
    for (TControl* c : parent->Children())
        if (c->GetAlign() == Align::Client && c->Visible()) client = c;
    if (!before) return 0;
    int sign = (GetAlign() == Align::Left || GetAlign() == Align::Top) ? 1 : -1;
    bool horizontal = GetAlign() == Align::Left || GetAlign() == Align::Right;
    int size = horizontal ? before->Width() : before->Height();
    int clientSize = client ? (horizontal ? client->Width() : client->Height()) : 0;
    int clientMin = client ? minSize : 0;
    int change = sign * delta;  // growth of the "before" control
    change = std::max(change, minSize - size);
    if (client) change = std::min(change, clientSize - clientMin);
    if (change == 0) return 0;
    if (horizontal)
        before->SetBounds(before->Bounds().left, before->Bounds().top, size + change, before->Height());
    else
        before->SetBounds(before->Bounds().left, before->Bounds().top, before->Width(), size + change);
    parent->Realign();
    if (OnMoved) OnMoved();
    return sign * change;
}

// ---------------------------------------------------------------------------------------------
// Menus

TMenuItem& TMenuItem::Add(std::string itemName, std::wstring itemCaption) {
    items.push_back(std::make_unique<TMenuItem>(std::move(itemName), std::move(itemCaption)));
    return *items.back();
}

void TMenuItem::Click() {
    if (enabled && OnClick) OnClick();
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup();
    if (auto* app = TApplication::Current()) app->Backend().ShowPopupMenu(*this, x, y);
}

static TMenuItem* FindItem(TMenuItem& root, const std::string& name) {
    if (root.name == name) return &root;
    for (auto& child : root.items)
        if (TMenuItem* found = FindItem(*child, name)) return found;
    return nullptr;
}

TMenuItem* TPopupMenu::Find(const std::string& itemName) { return FindItem(items, itemName); }

// ---------------------------------------------------------------------------------------------
// Image list

void TImageList::Clear() {
    m_count = 0;
    if (m_peer) m_peer->Clear();
}

int TImageList::AddIcon(IconHandle icon) {
    if (m_peer) m_peer->AddIcon(icon);
    return m_count++;
}

bool TImageList::Recreate32Bit() { return m_peer ? m_peer->Recreate32Bit() : true; }

// ---------------------------------------------------------------------------------------------
// List view

void TListItem::SetCaption(const std::wstring& caption) {
    m_caption = caption;
    if (m_owner) m_owner->CaptionSet(*this);
}

void TListItem::AddSubItem(const std::wstring& text) {
    m_subItems.push_back(text);
    if (m_owner) m_owner->Notify(Prop::ItemText, Index());
}

void TListItem::SetSubItem(std::size_t index, const std::wstring& text) {
    if (m_subItems.size() <= index) m_subItems.resize(index + 1);
    m_subItems[index] = text;
    if (m_owner) m_owner->Notify(Prop::ItemText, Index());
}

void TListItem::SetImageIndex(int index) {
    m_imageIndex = index;
    if (m_owner) m_owner->Notify(Prop::ItemText, Index());
}

int TListItem::Index() const {
    if (!m_owner) return -1;
    for (int i = 0; i < m_owner->Count(); ++i)
        if (&m_owner->Item(i) == this) return i;
    return -1;
}

TListView::TListView(TControl* parent, std::string name) : TControl(parent, std::move(name)) {
    compare = [](const std::wstring& a, const std::wstring& b) { return a.compare(b); };
}

TListItem& TListView::Add() {
    auto item = std::make_unique<TListItem>();
    item->m_owner = this;
    m_items.push_back(std::move(item));
    Notify(Prop::Items);
    return *m_items.back();
}

void TListView::CaptionSet(TListItem& item) {
    if (sorted) {
        // Take the item out and put it back after every item that does not sort after it, as the
        // native sorted list view does.
        TListItem* selected = Selected();
        auto it = std::find_if(m_items.begin(), m_items.end(),
                               [&](const auto& p) { return p.get() == &item; });
        std::unique_ptr<TListItem> owned = std::move(*it);
        m_items.erase(it);
        auto pos = std::upper_bound(m_items.begin(), m_items.end(), owned,
                                    [&](const auto& a, const auto& b) {
                                        return compare(a->m_caption, b->m_caption) < 0;
                                    });
        m_items.insert(pos, std::move(owned));
        if (selected) {
            m_itemIndex = selected->Index();
        }
        Notify(Prop::Items);
    } else {
        Notify(Prop::ItemText, item.Index());
    }
}

void TListView::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    m_items.erase(m_items.begin() + index);
    if (m_itemIndex == index)
        m_itemIndex = -1;
    else if (m_itemIndex > index)
        --m_itemIndex;
    Notify(Prop::Items);
}

void TListView::Clear() {
    m_items.clear();
    m_itemIndex = -1;
    Notify(Prop::Items);
}

void TListView::EndUpdate() {
    if (m_updateDepth == 0 || --m_updateDepth > 0) return;
    if (m_changedInUpdate) {
        m_changedInUpdate = false;
        // Rows freed and made anew during the update may share addresses with old ones, so
        // the peer is told to show every row afresh rather than to look for what moved.
        Changed(Prop::Items, kAllRows);
    }
}

void TListView::Notify(Prop what, int arg) {
    if (m_updateDepth > 0)
        m_changedInUpdate = true;
    else
        Changed(what, arg);
}

void TListView::SetItemIndex(int index) {
    if (index < -1 || index >= Count()) index = -1;
    if (index == m_itemIndex) return;
    m_itemIndex = index;
    Notify(Prop::Selection);
}

bool TListView::DragFrom(TControl& source) {
    bool accept = false;
    if (OnDragOver) OnDragOver(&source, accept);
    if (!accept) return false;
    if (OnDragDrop) OnDragDrop(&source);
    return true;
}

void TListView::KeyDown(std::uint16_t key, ShiftState shift) {
    if (OnKeyDown) OnKeyDown(key, shift);
}

void TListView::KeyUp(std::uint16_t key, ShiftState shift) {
    if (OnKeyUp) OnKeyUp(key, shift);
}

// ---------------------------------------------------------------------------------------------
// Pages, timer, form

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page == m_active) return;
    m_active = page;
    for (TControl* c : Children())
        if (auto* sheet = dynamic_cast<TTabSheet*>(c)) sheet->SetVisible(sheet == page);
    Changed(Prop::ActivePage);
}

void TTimer::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    if (m_peer) m_peer->Update();
}

void TTimer::Tick() {
    if (m_enabled && OnTimer) OnTimer();
}

TForm::TForm(std::string name) : TControl(nullptr, std::move(name)) { TControl::SetVisible(false); }

TForm::~TForm() = default;

void TForm::SetClientSize(int width, int height) { SetBounds(Bounds().left, Bounds().top, width, height); }

void TForm::SetScreenPosition(Point topLeft) {
    m_screenPosition = topLeft;
    centerOnFirstShow = false;
    Changed(Prop::Bounds);
}

void TForm::Show() { SetVisible(true); }

void TForm::Hide() { SetVisible(false); }

void TForm::SetVisible(bool visible) {
    bool wasVisible = Visible();
    TControl::SetVisible(visible);
    if (visible && !wasVisible && OnShow) OnShow();
}

void TForm::Close() {
    if (m_inModal) {
        if (m_modalResult == ModalResult::None) m_modalResult = ModalResult::Cancel;
        return;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    if (!canClose) return;
    Hide();
    auto* app = TApplication::Current();
    if (app && app->MainForm() == this) app->Terminate();
}

bool TForm::QueryEndSession() {
    if (OnQueryEndSession) return OnQueryEndSession();
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(canClose);
    return canClose;
}

ModalResult TForm::ShowModal() {
    m_modalResult = ModalResult::None;
    m_inModal = true;
    ModalResult result = ModalResult::Cancel;
    if (auto* app = TApplication::Current()) result = app->Backend().RunModal(*this);
    m_inModal = false;
    m_modalResult = result;
    return result;
}

void TForm::SetModalResult(ModalResult result) { m_modalResult = result; }

void TForm::Destroying() {
    if (m_destroyed) return;
    m_destroyed = true;
    if (OnDestroy) OnDestroy();
}

void TForm::EndSession() {
    m_sessionEnding = true;
    Destroying();
}

void TForm::HotKey(int id) {
    if (OnHotKey) OnHotKey(id);
}

void TForm::SessionChange(std::uintptr_t code) {
    if (OnSessionChange) OnSessionChange(code);
}

}  // namespace nv
