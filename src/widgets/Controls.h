// Portable control models. Each model holds its state and raises its events; a peer (the native
// control on Windows, or nothing in tests) is told of every change and feeds user actions back.
// Setting state from code raises the same events a user action would, where the program relies
// on it (a check box's click), and none where it must not (a slider's position).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace nv {

class TControl;
class TApplication;
class TPopupMenu;

// What a model tells its peer has changed.
enum class Prop {
    Text,
    Visible,
    Enabled,
    Bounds,
    Checked,
    Down,
    Items,      // a list's items were added, removed, reordered or cleared
    ItemText,   // one item's caption, sub-items or image changed (argument: item index)
    Selection,
    Position,
    Focus,
    ActivePage,
    ReadOnly,
    Style,
    Paint,      // paint what has changed now, before the program goes on
    Hint,
};

enum class Align { None, Top, Bottom, Left, Right, Client };

// The native side of one control. Created by the widget backend when its form is realised.
class IControlPeer {
public:
    virtual ~IControlPeer() = default;
    virtual void Sync(Prop what, int arg) = 0;
    virtual WindowHandle Handle() const = 0;
    // Where the native control lies on the screen; empty where there is no screen.
    virtual Rect ScreenBounds() const { return {}; }
};

// Key codes and shift state of the keyboard events.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

using NotifyEvent = std::function<void()>;
using KeyEvent = std::function<void(std::uint16_t& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(wchar_t& ch)>;

class TControl {
public:
    TControl(TControl* parent, std::string name);
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const { return m_name; }
    TControl* Parent() const { return m_parent; }
    const std::vector<TControl*>& Children() const { return m_children; }

    // Position relative to the parent's client area.
    const Rect& Bounds() const { return m_bounds; }
    void SetBounds(int left, int top, int width, int height);
    int Width() const { return m_bounds.Width(); }
    int Height() const { return m_bounds.Height(); }
    Align GetAlign() const { return m_align; }
    void SetAlign(Align align);
    // Lays out the children by their alignment within this control's client area, in the order
    // they were created (Top and Bottom before Left and Right, then Client).
    virtual void Realign();
    virtual Rect ClientRect() const;

    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    // Visible itself and every parent up to the form.
    bool Showing() const;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    const std::wstring& Caption() const { return m_text; }
    virtual void SetCaption(const std::wstring& text);

    std::wstring hint;
    // A hint that changes once the control is on screen: its tooltip follows.
    void SetHint(const std::wstring& text);
    int helpContext = 0;
    bool showHint = true;
    bool bold = false;
    bool doubleBuffered = false;
    TPopupMenu* popupMenu = nullptr;

    // Focus: the application tracks the one focused control.
    bool Focused() const;
    void SetFocus();
    // Paints the control's pending changes at once (before a call that blocks the thread).
    void Repaint() { Changed(Prop::Paint); }
    bool CanFocus() const;

    IControlPeer* Peer() const { return m_peer.get(); }
    void AttachPeer(std::unique_ptr<IControlPeer> peer);
    WindowHandle Handle() const { return m_peer ? m_peer->Handle() : 0; }
    // The nearest help context at this control or above it.
    int EffectiveHelpContext() const;

    // Called by peers when the native control reports a change the user made.
    void PeerFocused();

protected:
    void Changed(Prop what, int arg = 0);
    // Keeps a text the native control already shows, without telling the peer.
    void StoreCaption(const std::wstring& text) { m_text = text; }

private:
    std::string m_name;
    TControl* m_parent;
    std::vector<TControl*> m_children;
    std::unique_ptr<IControlPeer> m_peer;
    Rect m_bounds;
    Align m_align = Align::None;
    bool m_visible = true;
    bool m_enabled = true;
    std::wstring m_text;
};

class TPanel : public TControl {
public:
    using TControl::TControl;
    bool bevel = false;
    std::uint32_t color = 0xFFFFFFFF;  // 0x00BBGGRR, or 0xFFFFFFFF for the window colour
    bool gradient = false;             // diagonal, from color (top left) to the window colour
    std::uint32_t frameColor = 0xFFFFFFFF;  // a one-pixel frame in this colour, or none
};

// A heading drawn with a horizontal gradient in the accent colour.
class TGradientHeading : public TControl {
public:
    using TControl::TControl;
};

// A picture from the program's resources.
class TImage : public TControl {
public:
    using TControl::TControl;
    int resourceId = 0;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnClick;
    bool link = false;       // underlined, hand cursor
    bool centered = false;
    std::uint32_t textColor = 0xFFFFFFFF;    // 0xFFFFFFFF: the window text colour
    std::uint32_t background = 0xFFFFFFFF;   // 0xFFFFFFFF: transparent
    void Click();
};

class TGroupBox : public TControl {
public:
    using TControl::TControl;
    Rect ClientRect() const override;
};

class TButton : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnClick;
    int imageId = 0;  // a picture above the caption
    // Enter on the form presses the default button, Escape the cancel button.
    bool isDefault = false;
    bool isCancel = false;
    // A drop-down button: after the click event, this menu opens just below the button's lower
    // left corner.
    TPopupMenu* dropDownMenu = nullptr;
    virtual void Click();
};

// A flat button that can stay down; buttons with the same non-zero group index in one parent
// form a group of which exactly one is down.
class TSpeedButton : public TButton {
public:
    using TButton::TButton;
    int groupIndex = 0;
    bool allowAllUp = false;
    bool Down() const { return m_down; }
    void SetDown(bool down);
    void Click() override;

private:
    bool m_down = false;
};

class TCheckBox : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnClick;
    bool Checked() const { return m_checked; }
    // Sets the state; when it changes, the click event runs, as it does for a user's click.
    void SetChecked(bool checked);
    // Sets the state without running the click event.
    void SetCheckedSilently(bool checked);
    // What a user's click does: toggle.
    void Click();

private:
    bool m_checked = false;
};

class TEdit : public TControl {
public:
    using TControl::TControl;
    KeyEvent OnKeyDown;
    KeyPressEvent OnKeyPress;
    KeyEvent OnKeyUp;
    NotifyEvent OnChange;
    const std::wstring& Text() const { return Caption(); }
    void SetText(const std::wstring& text) { SetCaption(text); }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);
    wchar_t passwordChar = 0;
    // A key as the user types it: key-down, the character (if any), key-up. Returns the text.
    void KeyDown(std::uint16_t key, ShiftState shift);
    void KeyPress(wchar_t ch);
    void KeyUp(std::uint16_t key, ShiftState shift);
    // The native control's text changed by typing.
    void PeerTextChanged(const std::wstring& text);
    void SetCaption(const std::wstring& text) override;

private:
    bool m_readOnly = false;
};

class TSpinEdit : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnChange;
    int minValue = 0;
    int maxValue = 100;
    int increment = 1;  // the step of the arrows
    int Value() const { return m_value; }
    void SetValue(int value);

private:
    int m_value = 0;
};

// A vertical slider (track bar). Setting the position from code raises no change event.
class TSlider : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnChange;
    int minValue = 0;
    int maxValue = 100;
    // The steps of the arrow keys and of Page Up/Page Down; 0 stands for a hundredth and a tenth
    // of the range.
    int lineSize = 0;
    int pageSize = 0;
    int Position() const { return m_position; }
    void SetPosition(int position);
    // The user moved the thumb.
    void UserSetPosition(int position);

private:
    int m_position = 0;
};

class TSplitter : public TControl {
public:
    using TControl::TControl;
    NotifyEvent OnMoved;
    int minSize = 30;
    // Moves the splitter by delta pixels, honouring the minimum sizes of both neighbours.
    // Returns the delta applied.
    int MoveBy(int delta);
};

class TMenuItem {
public:
    TMenuItem(std::string name, std::wstring caption) : name(std::move(name)), caption(std::move(caption)) {}
    std::string name;
    std::wstring caption;  // "-" is a separator
    std::wstring shortCut; // shown at the right, such as "F5"
    std::wstring hint;
    int imageIndex = -1;
    int tag = 0;
    bool enabled = true;
    bool visible = true;
    NotifyEvent OnClick;
    std::vector<std::unique_ptr<TMenuItem>> items;
    TMenuItem& Add(std::string itemName, std::wstring itemCaption);
    bool IsSeparator() const { return caption == L"-"; }
    void Click();
};

class TPopupMenu {
public:
    explicit TPopupMenu(std::string name) : name(std::move(name)), items("", L"") {}
    std::string name;
    TMenuItem items;  // the root; its children are the menu's items
    NotifyEvent OnPopup;
    // Runs OnPopup, then shows the menu at screen coordinates (peers) or does nothing (tests).
    void Popup(int x, int y);
    TMenuItem* Find(const std::string& itemName);
};

// Data owned by a list item: released with the item.
struct TItemData {
    virtual ~TItemData() = default;
};

struct TListColumn {
    std::wstring caption;
    int width = 50;
};

class TListView;

class TListItem {
public:
    const std::wstring& Caption() const { return m_caption; }
    void SetCaption(const std::wstring& caption);
    const std::vector<std::wstring>& SubItems() const { return m_subItems; }
    void AddSubItem(const std::wstring& text);
    void SetSubItem(std::size_t index, const std::wstring& text);
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);
    TItemData* Data() const { return m_data.get(); }
    template <class T>
    T* DataAs() const { return static_cast<T*>(m_data.get()); }
    void SetData(std::unique_ptr<TItemData> data) { m_data = std::move(data); }
    int Index() const;

private:
    friend class TListView;
    TListView* m_owner = nullptr;
    std::wstring m_caption;
    std::vector<std::wstring> m_subItems;
    int m_imageIndex = -1;
    std::unique_ptr<TItemData> m_data;
};

// A set of 16x16 images; the peer holds the native image list.
class TImageList {
public:
    class IPeer {
    public:
        virtual ~IPeer() = default;
        virtual void Clear() = 0;
        // A null icon adds an empty image: every add takes exactly one slot.
        virtual void AddIcon(IconHandle icon) = 0;
        virtual bool Recreate32Bit() = 0;
    };
    int width = 16;
    int height = 16;
    bool masked = true;
    int allocBy = 4;
    int Count() const { return m_count; }
    void Clear();
    // Adds a copy of the icon; the caller keeps and releases its handle. Returns the index.
    // A null icon still takes its slot (an empty image), so indexes stay aligned with the items.
    int AddIcon(IconHandle icon);
    // Recreates the native list with 32-bit colour, keeping its images; false when the platform
    // refuses the new handle.
    bool Recreate32Bit();
    void AttachPeer(std::unique_ptr<IPeer> peer) { m_peer = std::move(peer); }
    IPeer* Peer() const { return m_peer.get(); }

private:
    int m_count = 0;
    std::unique_ptr<IPeer> m_peer;
};

// A report-style list view with owned item records.
class TListView : public TControl {
public:
    TListView(TControl* parent, std::string name);
    std::vector<TListColumn> columns;
    bool sorted = false;        // re-sorted by caption each time a caption is set
    bool rowSelect = true;
    bool gridLines = true;
    bool autoDrag = true;       // drags start when an item is dragged with the left button
    TImageList* smallImages = nullptr;
    // The comparison of a sorted list (lstrcmpW); set by the owner.
    std::function<int(const std::wstring&, const std::wstring&)> compare;

    // Drag and drop: source is the control the drag came from.
    std::function<void(TControl* source, bool& accept)> OnDragOver;
    std::function<void(TControl* source)> OnDragDrop;
    KeyEvent OnKeyDown;
    KeyEvent OnKeyUp;

    int Count() const { return static_cast<int>(m_items.size()); }
    TListItem& Item(int index) { return *m_items.at(index); }
    const TListItem& Item(int index) const { return *m_items.at(index); }
    TListItem& Add();
    void Delete(int index);
    void Clear();
    // Between BeginUpdate and the matching EndUpdate the native list is left alone; EndUpdate
    // then shows every change at once. Filling a long list this way costs one pass, not one
    // pass per row.
    void BeginUpdate() { ++m_updateDepth; }
    static constexpr int kAllRows = -1;  // the argument of a Prop::Items change after an update
    void EndUpdate();
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);
    TListItem* Selected() { return m_itemIndex >= 0 ? m_items[m_itemIndex].get() : nullptr; }

    // What a user does: drops the selected item of source here, if this list accepts it.
    bool DragFrom(TControl& source);
    void KeyDown(std::uint16_t key, ShiftState shift = {});
    void KeyUp(std::uint16_t key, ShiftState shift = {});

private:
    friend class TListItem;
    void CaptionSet(TListItem& item);
    void Notify(Prop what, int arg = 0);
    std::vector<std::unique_ptr<TListItem>> m_items;
    int m_itemIndex = -1;
    int m_updateDepth = 0;
    bool m_changedInUpdate = false;
};

class TTabSheet : public TControl {
public:
    using TControl::TControl;
};

// Pages without tabs, switched from code.
class TPageControl : public TControl {
public:
    using TControl::TControl;
    TTabSheet* ActivePage() const { return m_active; }
    void SetActivePage(TTabSheet* page);

private:
    TTabSheet* m_active = nullptr;
};

class TTimer {
public:
    class IPeer {
    public:
        virtual ~IPeer() = default;
        virtual void Update() = 0;
    };
    NotifyEvent OnTimer;
    unsigned interval = 1000;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    void Tick();
    void AttachPeer(std::unique_ptr<IPeer> peer) { m_peer = std::move(peer); }

private:
    bool m_enabled = false;
    std::unique_ptr<IPeer> m_peer;
};

enum class ModalResult { None, Ok, Cancel, Yes, No };

class TForm : public TControl {
public:
    explicit TForm(std::string name);
    ~TForm() override;

    int minWidth = 0;
    int minHeight = 0;
    bool sizeable = true;
    bool systemMenu = true;
    bool borderless = false;
    bool centerOnFirstShow = true;
    bool stayOnTop = false;  // above every window that does not stay on top itself
    // The controls of a page not shown when the form is realised are made when the page is
    // first shown, or when the backend is told to (RealizeDeferred): the form comes up sooner.
    bool deferHiddenPages = false;
    std::wstring helpFile;
    // The name of a registered window message that closes the form as Close() does, posted by
    // other programs that find the window by its class (empty: none).
    std::wstring closeMessage;
    // Further registered window messages that other programs post to the form, found by its
    // class the same way, each with what it does.
    struct TRequest {
        std::wstring message;
        NotifyEvent handler;
    };
    std::vector<TRequest> requests;

    NotifyEvent OnCreate;
    std::function<void(bool& canClose)> OnCloseQuery;
    // Answers WM_QUERYENDSESSION in place of the close query when set.
    std::function<bool()> OnQueryEndSession;
    NotifyEvent OnDestroy;
    NotifyEvent OnShow;
    std::function<void(int id)> OnHotKey;
    // A session notification (WM_WTSSESSION_CHANGE) with its code.
    std::function<void(std::uintptr_t code)> OnSessionChange;
    KeyEvent OnKeyDown;

    void SetClientSize(int width, int height);
    // Where the form's window lies on the screen, in screen pixels, and its size there; empty
    // where there is no screen.
    Rect ScreenBounds() const { return Peer() ? Peer()->ScreenBounds() : Rect{}; }
    // Puts the top left corner of the form's window at this point of the screen (pixels); the
    // form is then no longer centred on the screen when first shown.
    void SetScreenPosition(Point topLeft);
    const std::optional<Point>& ScreenPosition() const { return m_screenPosition; }
    void Show();
    void Hide();
    void SetVisible(bool visible) override;
    // Runs the close query; when it allows, hides the form (and, for the main form, ends the
    // application).
    void Close();
    // Answers WM_QUERYENDSESSION: OnQueryEndSession's verdict, else the close query's.
    bool QueryEndSession();
    // The session ends (WM_ENDSESSION): the process goes right after, so the form is destroyed
    // now, knowing that nobody is left to answer a message.
    void EndSession();
    bool SessionEnding() const { return m_sessionEnding; }
    // Shows the form modally and returns how it was closed.
    ModalResult ShowModal();
    void SetModalResult(ModalResult result);
    ModalResult GetModalResult() const { return m_modalResult; }
    bool InModal() const { return m_inModal; }
    // The form's native window was destroyed: runs OnDestroy once.
    void Destroying();
    void HotKey(int id);
    void SessionChange(std::uintptr_t code);

private:
    std::optional<Point> m_screenPosition;
    ModalResult m_modalResult = ModalResult::None;
    bool m_inModal = false;
    bool m_destroyed = false;
    bool m_sessionEnding = false;
};

// Creates peers for forms and runs the message loop. The Win32 backend makes native windows;
// tests use one that makes none (or fake ones).
class IWidgetBackend {
public:
    virtual ~IWidgetBackend() = default;
    // Creates the peers of the form and all its controls (and of its image lists and timers).
    virtual void Realize(TForm& form) = 0;
    virtual void RealizeImageList(TImageList& list) = 0;
    virtual void RealizeTimer(TTimer& timer) = 0;
    virtual void RunMessageLoop() = 0;
    virtual void PostQuit() = 0;
    // Runs a modal loop for the form until its modal result is set; returns it.
    virtual ModalResult RunModal(TForm& form) = 0;
    virtual void ShowPopupMenu(TPopupMenu& menu, int x, int y) = 0;
    virtual void ShowHelp(const std::wstring& helpFile, int context) = 0;
    // Paints the forms shown so far, then makes the controls of the pages realised later
    // (TForm::deferHiddenPages).
    virtual void RealizeDeferred() {}
};

}  // namespace nv
