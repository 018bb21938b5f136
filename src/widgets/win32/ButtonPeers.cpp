// Push buttons, speed buttons and check boxes: native buttons painted in the flat look. The model
// is the one source of truth: the native check state never changes by itself (BS_CHECKBOX, not
// auto) and always follows the model, and the painting reads the model.
#include "widgets/win32/FlatDrawing.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"

namespace nv::win32 {

namespace {

// Paints a button or check box in the flat look when its parent relays NM_CUSTOMDRAW (common
// controls 6 send it for every button style): the native control keeps its keyboard handling,
// dialog keys, check state and accessibility, and only its picture is the program's own.
template <typename PaintFn>
bool CustomDraw(NMHDR* header, LRESULT& result, PaintFn paint) {
    if (header->code != NM_CUSTOMDRAW) return false;
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(header);
    if (draw->dwDrawStage != CDDS_PREPAINT) {
        result = CDRF_DODEFAULT;
        return true;
    }
    // The state the control reports itself, whichever of the two ways it tells it.
    auto state = static_cast<UINT>(::SendMessageW(header->hwndFrom, BM_GETSTATE, 0, 0));
    bool hot = (draw->uItemState & CDIS_HOT) || (state & BST_HOT);
    bool pressed = (draw->uItemState & CDIS_SELECTED) || (state & BST_PUSHED);
    bool focused = (draw->uItemState & CDIS_FOCUS) || ::GetFocus() == header->hwndFrom;
    paint(draw->hdc, draw->rc, hot, pressed, focused);
    result = CDRF_SKIPDEFAULT;
    return true;
}

class ButtonPeer : public Win32Peer {
public:
    explicit ButtonPeer(TButton& button) : Win32Peer(button), m_button(button) {}
    void Create(HWND parent) override {
        CreateNative(parent, WC_BUTTONW,
                     CommonStyle() | WS_TABSTOP |
                         (m_button.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                     0);
        // The dialog keys: IsDialogMessageW presses the child IDOK on Enter and the child
        // IDCANCEL on Escape.
        if (m_hwnd && (m_button.isDefault || m_button.isCancel))
            ::SetWindowLongPtrW(m_hwnd, GWLP_ID, m_button.isDefault ? IDOK : IDCANCEL);
    }
    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED) return false;
        Dispatch([&] { m_button.Click(); });
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        return CustomDraw(header, result, [&](HDC dc, const RECT& r, bool hot, bool pressed,
                                              bool focused) {
            FlatButtonLook look;
            look.caption = m_button.Caption();
            look.font = UiFont(m_button.bold);
            look.dpi = Dpi();
            look.picture = m_button.imageId ? PictureFor(m_button.imageId, Dpi()) : nullptr;
            look.down = IsDown();
            look.hot = hot;
            look.pressed = pressed;
            look.focused = focused;
            look.disabled = !::IsWindowEnabled(m_hwnd);
            // The dialog manager moves the default style to the focused push button.
            look.isDefault = (::GetWindowLongW(m_hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            look.cues = CuesOf(m_hwnd);
            PaintFlatButton(dc, r, look, CurrentFlatColors());
        });
    }

protected:
    virtual bool IsDown() const { return false; }
    TButton& m_button;
};

// A button that stays pressed while the model says it is down.
class SpeedButtonPeer final : public ButtonPeer {
public:
    explicit SpeedButtonPeer(TSpeedButton& button) : ButtonPeer(button), m_speed(button) {}
    void Create(HWND parent) override {
        CreateNative(parent, WC_BUTTONW,
                     CommonStyle() | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE | BS_MULTILINE, 0);
        ShowDown();
    }

protected:
    bool IsDown() const override { return m_speed.Down(); }
    void OnSync(Prop what, int) override {
        if (what == Prop::Down) ShowDown();
    }

private:
    void ShowDown() {
        ::SendMessageW(m_hwnd, BM_SETCHECK, m_speed.Down() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    TSpeedButton& m_speed;
};

class CheckBoxPeer final : public Win32Peer {
public:
    explicit CheckBoxPeer(TCheckBox& box) : Win32Peer(box), m_box(box) {}
    void Create(HWND parent) override {
        // Multi-line: a caption longer than the box wraps where the box is tall enough.
        CreateNative(parent, WC_BUTTONW, CommonStyle() | WS_TABSTOP | BS_CHECKBOX | BS_MULTILINE,
                     0);
        ShowChecked();
    }
    bool OnCommand(WORD code) override {
        if (code != BN_CLICKED) return false;
        Dispatch([&] { m_box.Click(); });
        return true;
    }
    bool OnNotify(NMHDR* header, LRESULT& result) override {
        return CustomDraw(header, result, [&](HDC dc, const RECT& r, bool hot, bool pressed,
                                              bool focused) {
            FlatCheckLook look;
            look.caption = m_box.Caption();
            look.font = UiFont(m_box.bold);
            look.dpi = Dpi();
            look.background = ParentBackground();
            look.checked = m_box.Checked();
            look.hot = hot;
            look.pressed = pressed;
            look.focused = focused;
            look.disabled = !::IsWindowEnabled(m_hwnd);
            look.cues = CuesOf(m_hwnd);
            PaintFlatCheckBox(dc, r, look, CurrentFlatColors());
        });
    }

protected:
    void OnSync(Prop what, int) override {
        if (what == Prop::Checked) ShowChecked();
    }

private:
    void ShowChecked() {
        ::SendMessageW(m_hwnd, BM_SETCHECK, m_box.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    TCheckBox& m_box;
};

}  // namespace

std::unique_ptr<Win32Peer> MakeButtonPeer(TButton& button) {
    return std::make_unique<ButtonPeer>(button);
}
std::unique_ptr<Win32Peer> MakeSpeedButtonPeer(TSpeedButton& button) {
    return std::make_unique<SpeedButtonPeer>(button);
}
std::unique_ptr<Win32Peer> MakeCheckBoxPeer(TCheckBox& box) {
    return std::make_unique<CheckBoxPeer>(box);
}

}  // namespace nv::win32
