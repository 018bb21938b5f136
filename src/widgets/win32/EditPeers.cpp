// Edits, spin edits and sliders. The native edit does the typing; the model learns the text
// from EN_CHANGE and its key handlers see every key first (a key set to 0 is swallowed).
#include <cwchar>

#include "widgets/win32/FlatDrawing.h"
#include "widgets/win32/Peers.h"

namespace nv::win32 {

namespace {

// Edits are flat: their client edge becomes a 1-px frame in the accent colour (grey while
// disabled) with a pixel of the edit's own face inside it. The native edit paints the rest, the
// grey face of a read-only or disabled edit included (its parent's colour).
void PaintFlatEdge(HWND window, COLORREF parentBackground) {
    bool enabled = ::IsWindowEnabled(window);
    bool editable = enabled && !(::GetWindowLongW(window, GWL_STYLE) & ES_READONLY);
    FlatClientEdge(window, enabled ? AccentColor() : ::GetSysColor(COLOR_GRAYTEXT),
                   editable ? ::GetSysColor(COLOR_WINDOW) : parentBackground);
}

std::wstring WindowText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

class EditPeer final : public Win32Peer {
public:
    explicit EditPeer(TEdit& edit) : Win32Peer(edit), m_edit(edit) {}
    void Create(HWND parent) override {
        DWORD style = CommonStyle() | WS_TABSTOP | ES_AUTOHSCROLL;
        if (m_edit.ReadOnly()) style |= ES_READONLY;
        if (m_edit.passwordChar) style |= ES_PASSWORD;
        CreateNative(parent, WC_EDITW, style, WS_EX_CLIENTEDGE);
        if (!m_hwnd) return;
        if (m_edit.passwordChar) ::SendMessageW(m_hwnd, EM_SETPASSWORDCHAR, m_edit.passwordChar, 0);
        MirrorName(m_edit.Text());  // an edit made after its text was set
    }
    bool OnCommand(WORD code) override {
        if (code != EN_CHANGE || m_settingText) return false;
        std::wstring text = WindowText(m_hwnd);
        MirrorName(text);
        Dispatch([&] { m_edit.PeerTextChanged(text); });
        return true;
    }
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_NCPAINT: {
                LRESULT painted = Win32Peer::SubclassProc(msg, wParam, lParam);
                PaintFlatEdge(m_hwnd, ParentBackground());
                return painted;
            }
            case WM_GETDLGCODE:
                // An edit that handles its own keys (a hotkey box) gets all of them, Tab and
                // Enter included, instead of the dialog navigation.
                if (m_edit.OnKeyDown)
                    return Win32Peer::SubclassProc(msg, wParam, lParam) | DLGC_WANTALLKEYS;
                break;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                auto key = static_cast<std::uint16_t>(wParam);
                if (m_edit.OnKeyDown) {
                    ShiftState shift = CurrentShiftState();
                    Dispatch([&] { m_edit.OnKeyDown(key, shift); });
                }
                if (key == 0) return 0;
                wParam = key;
                break;
            }
            case WM_CHAR: {
                auto ch = static_cast<wchar_t>(wParam);
                if (m_edit.OnKeyPress) Dispatch([&] { m_edit.OnKeyPress(ch); });
                if (ch == 0) return 0;
                wParam = ch;
                break;
            }
            case WM_KEYUP:
            case WM_SYSKEYUP: {
                auto key = static_cast<std::uint16_t>(wParam);
                if (m_edit.OnKeyUp) {
                    ShiftState shift = CurrentShiftState();
                    Dispatch([&] { m_edit.OnKeyUp(key, shift); });
                }
                if (key == 0) return 0;
                wParam = key;
                break;
            }
            default:
                break;
        }
        return Win32Peer::SubclassProc(msg, wParam, lParam);
    }

protected:
    void OnSync(Prop what, int) override {
        if (what == Prop::ReadOnly) ::SendMessageW(m_hwnd, EM_SETREADONLY, m_edit.ReadOnly(), 0);
        if (what == Prop::Enabled || what == Prop::ReadOnly) ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }

public:
    void Sync(Prop what, int arg) override {
        if (what == Prop::Text) {
            // Only a text set from code goes to the control; its own typing is already there.
            if (m_hwnd && WindowText(m_hwnd) != m_edit.Text()) {
                m_settingText = true;
                ::SetWindowTextW(m_hwnd, m_edit.Text().c_str());
                m_settingText = false;
                MirrorName(m_edit.Text());
            }
            return;
        }
        Win32Peer::Sync(what, arg);
    }

private:
    // The edit keeps its text in its own buffer; the window's name, which other programs read
    // with GetWindowTextW, keeps the text it was created with unless it is set as well. Never a
    // password: any program could read it there.
    void MirrorName(const std::wstring& text) {
        if (m_edit.passwordChar) return;
        ::DefWindowProcW(m_hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    TEdit& m_edit;
    bool m_settingText = false;
};

// The up-down control of a spin edit, painted flat; the control keeps its own mouse and keys.
LRESULT CALLBACK FlatArrowsProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            PAINTSTRUCT ps{};
            HDC dc = msg == WM_PAINT ? ::BeginPaint(window, &ps) : reinterpret_cast<HDC>(wParam);
            RECT r;
            ::GetClientRect(window, &r);
            // The half held down with the mouse.
            int pressed = 0;
            POINT p;
            if (::GetCapture() == window && ::GetKeyState(VK_LBUTTON) < 0 && ::GetCursorPos(&p) &&
                ::ScreenToClient(window, &p) && ::PtInRect(&r, p))
                pressed = p.y < (r.top + r.bottom) / 2 ? 1 : 2;
            PaintFlatSpinArrows(dc, r, pressed, !::IsWindowEnabled(window), CurrentFlatColors());
            if (msg == WM_PAINT) ::EndPaint(window, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: {
            LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
            ::InvalidateRect(window, nullptr, FALSE);
            return result;
        }
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, FlatArrowsProc, 0);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}

// An edit with an up-down control attached; the value lives in the model.
class SpinEditPeer final : public Win32Peer {
public:
    explicit SpinEditPeer(TSpinEdit& spin) : Win32Peer(spin), m_spin(spin) {}
    ~SpinEditPeer() override {
        if (m_updown && ::IsWindow(m_updown)) ::DestroyWindow(m_updown);
    }
    void Create(HWND parent) override {
        CreateNative(parent, WC_EDITW,
                     CommonStyle() | WS_TABSTOP | ES_AUTOHSCROLL | ES_NUMBER, WS_EX_CLIENTEDGE);
        m_updown = ::CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                     CommonStyle() | UDS_ALIGNRIGHT | UDS_SETBUDDYINT |
                                         UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                     0, 0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr),
                                     nullptr);
        if (m_updown) ::SetWindowSubclass(m_updown, FlatArrowsProc, 0, 0);
        ::SendMessageW(m_updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_hwnd), 0);
        ::SendMessageW(m_updown, UDM_SETRANGE32, m_spin.minValue, m_spin.maxValue);
        UDACCEL step{0, static_cast<UINT>(m_spin.increment > 0 ? m_spin.increment : 1)};
        ::SendMessageW(m_updown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
        ShowValue();
    }
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = Win32Peer::SubclassProc(msg, wParam, lParam);
        if (msg == WM_NCPAINT) PaintFlatEdge(m_hwnd, ParentBackground());
        return result;
    }
    bool OnCommand(WORD code) override {
        // Leaving the box shows the value it holds: a number typed beyond the range shows as
        // the end of the range, and an empty box as the lower end.
        if (code == EN_KILLFOCUS) {
            if (WindowText(m_hwnd) != std::to_wstring(m_spin.Value())) ShowValue();
            return true;
        }
        if (code != EN_CHANGE || m_syncing) return false;
        // A text that is not a number (an empty box) reads as 0, held within the range.
        std::wstring text = WindowText(m_hwnd);
        int value = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
        m_syncing = true;
        Dispatch([&] { m_spin.SetValue(value); });
        m_syncing = false;
        return true;
    }

protected:
    void OnSync(Prop what, int) override {
        switch (what) {
            case Prop::Position:
                if (!m_syncing) ShowValue();
                break;
            case Prop::Visible:
                ::ShowWindow(m_updown, m_spin.Visible() ? SW_SHOWNA : SW_HIDE);
                break;
            case Prop::Enabled:
                ::EnableWindow(m_updown, m_spin.Enabled());
                ::InvalidateRect(m_updown, nullptr, FALSE);
                ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
                break;
            case Prop::Bounds:
                // Attaching again puts the arrows beside the moved edit.
                ::SendMessageW(m_updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_hwnd), 0);
                break;
            default:
                break;
        }
    }

private:
    void ShowValue() {
        m_syncing = true;
        ::SendMessageW(m_updown, UDM_SETPOS32, 0, m_spin.Value());
        ::SetWindowTextW(m_hwnd, std::to_wstring(m_spin.Value()).c_str());
        m_syncing = false;
    }
    TSpinEdit& m_spin;
    HWND m_updown = nullptr;
    bool m_syncing = false;
};

// A vertical track bar; only the user's moves raise the change event.
class SliderPeer final : public Win32Peer {
public:
    explicit SliderPeer(TSlider& slider) : Win32Peer(slider), m_slider(slider) {}
    void Create(HWND parent) override {
        CreateNative(parent, TRACKBAR_CLASSW, CommonStyle() | WS_TABSTOP | TBS_VERT | TBS_BOTH |
                                                  TBS_NOTICKS, 0);
        ::SendMessageW(m_hwnd, TBM_SETRANGEMIN, FALSE, m_slider.minValue);
        ::SendMessageW(m_hwnd, TBM_SETRANGEMAX, FALSE, m_slider.maxValue);
        int range = m_slider.maxValue - m_slider.minValue;
        ::SendMessageW(m_hwnd, TBM_SETPAGESIZE, 0,
                       m_slider.pageSize > 0 ? m_slider.pageSize : range / 10);
        ::SendMessageW(m_hwnd, TBM_SETLINESIZE, 0,
                       m_slider.lineSize > 0 ? m_slider.lineSize : range / 100);
        ShowPosition();
    }
    void OnScroll() override {
        int position = static_cast<int>(::SendMessageW(m_hwnd, TBM_GETPOS, 0, 0));
        Dispatch([&] { m_slider.UserSetPosition(position); });
    }

protected:
    void OnSync(Prop what, int) override {
        if (what == Prop::Position) ShowPosition();
    }

private:
    void ShowPosition() { ::SendMessageW(m_hwnd, TBM_SETPOS, TRUE, m_slider.Position()); }
    TSlider& m_slider;
};

}  // namespace

std::unique_ptr<Win32Peer> MakeEditPeer(TEdit& edit) { return std::make_unique<EditPeer>(edit); }
std::unique_ptr<Win32Peer> MakeSpinEditPeer(TSpinEdit& spin) {
    return std::make_unique<SpinEditPeer>(spin);
}
std::unique_ptr<Win32Peer> MakeSliderPeer(TSlider& slider) {
    return std::make_unique<SliderPeer>(slider);
}

}  // namespace nv::win32
