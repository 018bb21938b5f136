// Push buttons, speed buttons and check boxes. The model is the one source of truth: the native
// check state never changes by itself (BS_CHECKBOX, not auto) and always follows the model.
#include <map>

#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"

namespace nv::win32 {

namespace {

// Gives a button its picture (TButton::imageId): above the caption, or centred when it has
// none. The image list lives as long as the program, one per picture.
void ShowButtonPicture(HWND button, const TButton& model, int dpi) {
    if (model.imageId == 0) return;
    static std::map<std::pair<int, int>, HIMAGELIST> lists;
    HIMAGELIST& list = lists[{model.imageId, dpi}];
    if (!list) {
        const Picture* picture = PictureFor(model.imageId, dpi);
        if (!picture) return;
        list = ::ImageList_Create(picture->width, picture->height, ILC_COLOR32, 1, 0);
        if (list) ::ImageList_Add(list, picture->bitmap, nullptr);
    }
    if (!list) return;
    BUTTON_IMAGELIST images{};
    images.himl = list;
    images.uAlign = model.Caption().empty() ? BUTTON_IMAGELIST_ALIGN_CENTER
                                            : BUTTON_IMAGELIST_ALIGN_TOP;
    images.margin = {0, ScaleFor(dpi, 3), 0, 0};
    ::SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
}

class ButtonPeer : public Win32Peer {
public:
    explicit ButtonPeer(TButton& button) : Win32Peer(button), m_button(button) {}
    void Create(HWND parent) override {
        CreateNative(parent, WC_BUTTONW,
                     CommonStyle() | WS_TABSTOP |
                         (m_button.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                     0);
        ShowButtonPicture(m_hwnd, m_button, Dpi());
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
    void DpiChanged() override {
        Win32Peer::DpiChanged();
        ShowButtonPicture(m_hwnd, m_button, Dpi());
    }

protected:
    TButton& m_button;
};

// A button that stays pressed while the model says it is down.
class SpeedButtonPeer final : public ButtonPeer {
public:
    explicit SpeedButtonPeer(TSpeedButton& button) : ButtonPeer(button), m_speed(button) {}
    void Create(HWND parent) override {
        CreateNative(parent, WC_BUTTONW,
                     CommonStyle() | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE | BS_MULTILINE, 0);
        ShowButtonPicture(m_hwnd, m_speed, Dpi());
        ShowDown();
    }

protected:
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
