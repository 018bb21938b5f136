// The native backend: builds the peers of a form's control tree, tool tips, the message loop
// with keyboard navigation and F1, and the modal loop.
#include "widgets/win32/Win32Backend.h"

#include "widgets/Application.h"
#include "widgets/win32/Peers.h"

namespace nv {

using namespace win32;

namespace {

std::unique_ptr<Win32Peer> MakePeer(TControl& c) {
    // Most derived kinds first.
    if (auto* x = dynamic_cast<TSpeedButton*>(&c)) return MakeSpeedButtonPeer(*x);
    if (auto* x = dynamic_cast<TButton*>(&c)) return MakeButtonPeer(*x);
    if (auto* x = dynamic_cast<TCheckBox*>(&c)) return MakeCheckBoxPeer(*x);
    if (auto* x = dynamic_cast<TEdit*>(&c)) return MakeEditPeer(*x);
    if (auto* x = dynamic_cast<TSpinEdit*>(&c)) return MakeSpinEditPeer(*x);
    if (auto* x = dynamic_cast<TSlider*>(&c)) return MakeSliderPeer(*x);
    if (auto* x = dynamic_cast<TListView*>(&c)) return MakeListViewPeer(*x);
    if (auto* x = dynamic_cast<TLabel*>(&c)) return MakeLabelPeer(*x);
    if (auto* x = dynamic_cast<TImage*>(&c)) return MakeImagePeer(*x);
    if (auto* x = dynamic_cast<TGroupBox*>(&c)) return MakeGroupBoxPeer(*x);
    if (auto* x = dynamic_cast<TGradientHeading*>(&c)) return MakeHeadingPeer(*x);
    if (auto* x = dynamic_cast<TSplitter*>(&c)) return MakeSplitterPeer(*x);
    return MakePanelPeer(c);  // panels, tab sheets, page controls
}

// A picture lies beneath its siblings (the header's banner under its texts).
void PicturesToBack(TControl& parent) {
    for (TControl* child : parent.Children())
        if (dynamic_cast<TImage*>(child) && child->Handle())
            ::SetWindowPos(reinterpret_cast<HWND>(child->Handle()), HWND_BOTTOM, 0, 0, 0, 0,
                           SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

constexpr wchar_t kToolTipProp[] = L"NvToolTip";

HWND CreateTooltip(HWND form) {
    HWND tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!tip) return nullptr;
    ::SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 5000);
    ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, ScaleFor(DpiOf(form), 320));
    ::SetPropW(form, kToolTipProp, tip);  // where a hint changed later is found
    return tip;
}

HWND TooltipOf(HWND window) {
    HWND form = window ? ::GetAncestor(window, GA_ROOT) : nullptr;
    return form ? static_cast<HWND>(::GetPropW(form, kToolTipProp)) : nullptr;
}

void AddTool(HWND tip, HWND form, HWND control, const std::wstring& text) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// Keyboard navigation (Tab, arrows, Alt+letter) and F1 within the program's forms.
bool PreTranslate(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    if (!root || !IsFormWindow(root)) return false;
    auto takesEveryKey = [&] {
        return (::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam,
                               reinterpret_cast<LPARAM>(&msg)) &
                DLGC_WANTALLKEYS) != 0;
    };
    // F1 is help, except in a box that takes every key for itself (a hotkey box).
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F1 && !takesEveryKey()) {
        if (auto* form = dynamic_cast<TForm*>(&Win32Peer::Of(root)->Model())) {
            ShowFormHelp(*form);
            return true;
        }
    }
    // In such a box Alt with a letter is a combination being chosen: it must not press the
    // button whose caption underlines that letter ("&Terminate", "&Hide"). Dropped here, as
    // every typed character is.
    if (msg.message == WM_SYSCHAR && takesEveryKey()) return true;
    return ::IsDialogMessageW(root, &msg) != FALSE;
}

void Pump(MSG& msg) {
    if (PreTranslate(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

}  // namespace

void win32::UpdateToolTip(HWND control, const TControl& model) {
    HWND form = ::GetAncestor(control, GA_ROOT);
    HWND tip = TooltipOf(control);
    if (!tip) return;
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (model.showHint && !model.hint.empty()) AddTool(tip, form, control, model.hint);
}

Win32WidgetBackend::Win32WidgetBackend(Platform& platform) : m_platform(platform) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
}

Win32WidgetBackend::~Win32WidgetBackend() = default;

void Win32WidgetBackend::Realize(TForm& form) {
    HWND owner = nullptr;
    auto* app = TApplication::Current();
    if (app && app->MainForm() && app->MainForm() != &form)
        owner = reinterpret_cast<HWND>(app->MainForm()->Handle());
    auto peer = MakeFormPeer(form);
    peer->Create(owner);
    HWND window = peer->Hwnd();
    form.AttachPeer(std::move(peer));
    // The tooltip is a window of its own: a form that shows before the rest is made gets it
    // with the rest (RealizeDeferred).
    HWND tip = form.deferHiddenPages ? nullptr : CreateTooltip(window);
    RealizeChildren(form, reinterpret_cast<WindowHandle>(window),
                    reinterpret_cast<WindowHandle>(tip), form.deferHiddenPages);
    if (form.Visible()) form.Peer()->Sync(Prop::Visible, 0);
}

void Win32WidgetBackend::RealizeTree(TControl& control, WindowHandle parent, WindowHandle tooltip,
                                     bool deferHiddenPages) {
    auto owned = MakePeer(control);
    Win32Peer* peer = owned.get();
    peer->Create(reinterpret_cast<HWND>(parent));
    HWND window = peer->Hwnd();
    control.AttachPeer(std::move(owned));
    if (auto* list = dynamic_cast<TListView*>(&control)) {
        // The list's image list is realised with it; rows show its images from now on.
        if (list->smallImages && !list->smallImages->Peer()) {
            RealizeImageList(*list->smallImages);
            control.Peer()->Sync(Prop::Items, 0);
        }
    }
    if (window && tooltip && control.showHint && !control.hint.empty()) {
        HWND form = ::GetAncestor(window, GA_ROOT);
        AddTool(reinterpret_cast<HWND>(tooltip), form, window, control.hint);
    }
    const WindowHandle handle = reinterpret_cast<WindowHandle>(window);
    if (deferHiddenPages && window && dynamic_cast<TTabSheet*>(&control) && !control.Visible()) {
        peer->DeferChildren([this, &control, handle] {
            RealizeChildren(control, handle,
                            reinterpret_cast<WindowHandle>(TooltipOf(reinterpret_cast<HWND>(handle))),
                            true);
        });
        return;
    }
    RealizeChildren(control, handle, tooltip, deferHiddenPages);
}

void Win32WidgetBackend::RealizeChildren(TControl& control, WindowHandle window,
                                         WindowHandle tooltip, bool deferHiddenPages) {
    for (TControl* child : control.Children())
        RealizeTree(*child, window, tooltip, deferHiddenPages);
    PicturesToBack(control);
}

void Win32WidgetBackend::RealizeDeferred() {
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (!IsFormWindow(window)) return TRUE;
            // What the user sees first is painted before the rest is made.
            if (::IsWindowVisible(window))
                ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            // The tooltip of a form made without one, with the hints of its controls so far.
            if (TooltipOf(window)) return TRUE;
            HWND tip = CreateTooltip(window);
            if (!tip) return TRUE;
            ForEachPeer(Win32Peer::Of(window)->Model(), [&](Win32Peer& peer) {
                const TControl& model = peer.Model();
                if (peer.Hwnd() && peer.Hwnd() != window && model.showHint &&
                    !model.hint.empty())
                    AddTool(tip, window, peer.Hwnd(), model.hint);
            });
            return TRUE;
        },
        0);
    Win32Peer::RealizeDeferredPages();
}

void Win32WidgetBackend::RealizeImageList(TImageList& list) {
    list.AttachPeer(MakeImageListPeer(list));
}

void Win32WidgetBackend::RealizeTimer(TTimer& timer) { timer.AttachPeer(MakeTimerPeer(timer)); }

void Win32WidgetBackend::RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Pump(msg);
}

void Win32WidgetBackend::PostQuit() { ::PostQuitMessage(0); }

ModalResult Win32WidgetBackend::RunModal(TForm& form) {
    HWND owner = nullptr;
    auto* app = TApplication::Current();
    if (app && app->MainForm() && app->MainForm() != &form)
        owner = reinterpret_cast<HWND>(app->MainForm()->Handle());
    bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
    form.Show();
    MSG msg;
    while (form.GetModalResult() == ModalResult::None) {
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            // The outer loop must see the quit too.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Pump(msg);
    }
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    form.Hide();
    if (owner && ::IsWindowVisible(owner)) ::SetForegroundWindow(owner);
    ModalResult result = form.GetModalResult();
    return result == ModalResult::None ? ModalResult::Cancel : result;
}

void Win32WidgetBackend::ShowPopupMenu(TPopupMenu& menu, int x, int y) { TrackMenu(menu, x, y); }

void Win32WidgetBackend::ShowHelp(const std::wstring& helpFile, int context) {
    OpenHelp(helpFile, context);
}

}  // namespace nv
