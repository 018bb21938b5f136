// The peer of a form: a top-level window whose client area follows the model's bounds, with the
// messages a form answers (close, a registered close message, hotkeys, end of session, help,
// minimum size).
#include "widgets/Application.h"
#include "widgets/win32/Peers.h"

namespace nv::win32 {

namespace {

class FormPeer final : public Win32Peer {
public:
    explicit FormPeer(TForm& form) : Win32Peer(form), m_form(form) {}

    void Create(HWND owner) override {
        m_style = WS_CLIPCHILDREN;
        if (m_form.borderless) {
            m_style |= WS_POPUP;
        } else {
            // Without a system menu the caption has no close, minimise or maximise buttons.
            m_style |= WS_CAPTION | (m_form.sizeable ? WS_THICKFRAME : 0);
            // A dialog of fixed size has the close box only.
            if (m_form.systemMenu)
                m_style |= WS_SYSMENU | (m_form.sizeable ? WS_MINIMIZEBOX | WS_MAXIMIZEBOX : 0);
        }
        m_exStyle = WS_EX_CONTROLPARENT | (m_form.stayOnTop ? WS_EX_TOPMOST : 0);
        std::wstring cls = L"T" + std::wstring(m_form.Name().begin(), m_form.Name().end());
        CreateContainer(owner, m_style, m_exStyle, cls.c_str());
        ResizeToModel();
        if (!m_form.closeMessage.empty())
            m_closeMessage = ::RegisterWindowMessageW(m_form.closeMessage.c_str());
        for (const TForm::TRequest& request : m_form.requests)
            m_requests.push_back(::RegisterWindowMessageW(request.message.c_str()));
    }

    COLORREF Background() const override { return ::GetSysColor(COLOR_BTNFACE); }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (m_closeMessage != 0 && msg == m_closeMessage) {
            Dispatch([&] { m_form.Close(); });
            return 0;
        }
        for (std::size_t i = 0; i < m_requests.size(); ++i)
            if (m_requests[i] != 0 && msg == m_requests[i]) {
                if (const NotifyEvent& handler = m_form.requests[i].handler)
                    Dispatch([&] { handler(); });
                return 0;
            }
        switch (msg) {
            case WM_SIZE:
                if (wParam != SIZE_MINIMIZED) {
                    m_sizing = true;
                    const Rect& b = m_form.Bounds();
                    // Rounded down: the model's client area never reaches past the window's.
                    int width = LOWORD(lParam) * 96 / Dpi(), height = HIWORD(lParam) * 96 / Dpi();
                    Dispatch([&] { m_form.SetBounds(b.left, b.top, width, height); });
                    m_sizing = false;
                }
                return 0;
            case WM_GETMINMAXINFO: {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                if (m_form.minWidth > 0) info->ptMinTrackSize.x = Scale(m_form.minWidth);
                if (m_form.minHeight > 0) info->ptMinTrackSize.y = Scale(m_form.minHeight);
                return 0;
            }
            case WM_SYSCOLORCHANGE:
                // The common controls learn of new system colours from their parent.
                ::EnumChildWindows(
                    m_hwnd,
                    [](HWND child, LPARAM) -> BOOL {
                        ::SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
                        return TRUE;
                    },
                    0);
                [[fallthrough]];
            case WM_SETTINGCHANGE:
                // High contrast turned on or off: everything the program paints itself changes.
                ::RedrawWindow(m_hwnd, nullptr, nullptr,
                               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
                break;
            case WM_DPICHANGED:
                ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
                return 0;
            case WM_CLOSE:
                Dispatch([&] { m_form.Close(); });
                return 0;
            case WM_HOTKEY:
                Dispatch([&] { m_form.HotKey(static_cast<int>(wParam)); });
                return 0;
            case WM_WTSSESSION_CHANGE:
                Dispatch([&] { m_form.SessionChange(wParam); });
                return 0;
            case WM_QUERYENDSESSION: {
                bool allowed = false;
                Dispatch([&] { allowed = m_form.QueryEndSession(); });
                return allowed ? TRUE : FALSE;
            }
            case WM_ENDSESSION:
                // The session ends and the process with it, right after this message: the
                // destroy step runs now, so what a hide changed is put back and saved.
                if (wParam) Dispatch([&] { m_form.EndSession(); });
                return 0;
            case WM_DESTROY:
                // Only a window destroyed from outside gets here: the peer detaches itself
                // before it destroys the window along with its model.
                Dispatch([&] { m_form.Destroying(); });
                break;
            case WM_HELP:
                ShowFormHelp(m_form);
                return TRUE;
            case WM_ACTIVATE:
                // Keep the focused control across deactivation, as a dialog does.
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focus = ::GetFocus();
                    if (focus && ::IsChild(m_hwnd, focus)) m_lastFocus = focus;
                } else if (m_lastFocus && ::IsWindow(m_lastFocus) &&
                           ::IsWindowVisible(m_lastFocus)) {
                    ::SetFocus(m_lastFocus);
                    return 0;
                } else if (HWND first = ::GetNextDlgTabItem(m_hwnd, nullptr, FALSE)) {
                    // First activation: the keyboard starts at the first control in tab order.
                    ::SetFocus(first);
                    return 0;
                }
                break;
            default:
                break;
        }
        return Win32Peer::WndProc(msg, wParam, lParam);
    }

protected:
    void OnSync(Prop what, int) override {
        switch (what) {
            case Prop::Bounds:
                if (!m_sizing) ResizeToModel();
                break;
            default:
                break;
        }
    }

public:
    // The form's own handling of the common properties: a top-level window shows differently.
    void Sync(Prop what, int arg) override {
        if (!m_hwnd) return;
        switch (what) {
            case Prop::Visible:
                if (m_form.Visible())
                    ShowForm();
                else
                    ::ShowWindow(m_hwnd, SW_HIDE);
                return;
            case Prop::Bounds:
                OnSync(what, arg);
                return;
            case Prop::Text:
                ::SetWindowTextW(m_hwnd, m_form.Caption().c_str());
                return;
            default:
                Win32Peer::Sync(what, arg);
        }
    }

    // The form now lies on a monitor of another dpi (or the user changed the scale): every
    // peer takes the dpi, the window the size Windows suggests (its client area laid out anew
    // in model pixels by WM_SIZE), then each control its font, place and pictures.
    void ApplyDpi(int dpi, const RECT* suggested) {
        if (dpi <= 0 || dpi == Dpi()) return;
        ForEachPeer(m_form, [dpi](Win32Peer& peer) { peer.SetDpi(dpi); });
        if (suggested)
            ::SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top,
                           suggested->right - suggested->left, suggested->bottom - suggested->top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        else
            ResizeToModel();
        for (TControl* child : m_form.Children())
            ForEachPeer(*child, [](Win32Peer& peer) { peer.DpiChanged(); });
        ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

private:
    void ResizeToModel() {
        RECT r{0, 0, Scale(m_form.Width()), Scale(m_form.Height())};
        // The frame at the form's dpi where Windows can tell it (Windows 10 1607 and later).
        using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
        static auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
        if (!adjustForDpi ||
            !adjustForDpi(&r, m_style, FALSE, m_exStyle, static_cast<UINT>(Dpi())))
            ::AdjustWindowRectEx(&r, m_style, FALSE, m_exStyle);
        const std::optional<Point>& at = m_form.ScreenPosition();
        ::SetWindowPos(m_hwnd, nullptr, at ? at->x : 0, at ? at->y : 0, r.right - r.left,
                       r.bottom - r.top, (at ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void ShowForm() {
        if (!m_shownOnce && m_form.centerOnFirstShow) {
            RECT w;
            ::GetWindowRect(m_hwnd, &w);
            int screenW = ::GetSystemMetrics(SM_CXSCREEN);
            int screenH = ::GetSystemMetrics(SM_CYSCREEN);
            int x = (screenW - (w.right - w.left)) / 2, y = (screenH - (w.bottom - w.top)) / 2;
            ::SetWindowPos(m_hwnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        m_shownOnce = true;
        ::ShowWindow(m_hwnd, SW_SHOW);
        ::SetWindowPos(m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::SetForegroundWindow(m_hwnd);
    }

    TForm& m_form;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    bool m_sizing = false;
    bool m_shownOnce = false;
    HWND m_lastFocus = nullptr;
    UINT m_closeMessage = 0;  // 0: the form answers no registered close message
    std::vector<UINT> m_requests;  // the numbers of the form's requests, in their order
};

}  // namespace

std::unique_ptr<Win32Peer> MakeFormPeer(TForm& form) { return std::make_unique<FormPeer>(form); }

bool IsFormWindow(HWND window) { return dynamic_cast<FormPeer*>(Win32Peer::Of(window)) != nullptr; }

}  // namespace nv::win32
