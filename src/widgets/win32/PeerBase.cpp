// The common base of the peers: window creation, the container window class, the subclass of
// native controls, the shared fonts and brushes, and the properties every control has.
#include <map>
#include <set>
#include <unordered_map>

#include "widgets/Application.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/PopupMenus.h"

namespace nv::win32 {

namespace {
// Each window's peer and, for a native control, the control's own window procedure, by handle.
// Kept in the program rather than in window properties (as the common controls' subclassing
// keeps its own): under Wine every property read is a round trip to the window server, and
// several were made for each message a control received.
struct Binding {
    Win32Peer* peer = nullptr;
    WNDPROC native = nullptr;
};
std::unordered_map<HWND, Binding>& Bindings() {
    static std::unordered_map<HWND, Binding> bindings;
    return bindings;
}
constexpr wchar_t kContainerClass[] = L"NivoraContainer";

void RegisterClassOnce(const wchar_t* name, bool form) {
    WNDCLASSEXW wc{};
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (form) {
        // The program icon; resource 100 of the executable (IDI_NIVORA).
        wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(100));
        wc.hIconSm = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(100),
                                                     IMAGE_ICON, 16, 16, 0));
    }
    ::RegisterClassExW(&wc);
}
}  // namespace

void Dispatch(const std::function<void()>& handler) {
    if (auto* app = TApplication::Current())
        app->Dispatch(handler);
    else
        handler();
}

int SystemDpi() {
    static int dpi = [] {
        HDC screen = ::GetDC(nullptr);
        int value = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int DpiOf(HWND window) {
    if (Win32Peer* peer = Win32Peer::Of(window)) return peer->Dpi();
    // Windows 10 1607 and later know each window's dpi; before, there is only the system's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int ScaleFor(int dpi, int value) { return ::MulDiv(value, dpi, 96); }
int UnscaleFor(int dpi, int value) { return ::MulDiv(value, 96, dpi); }

namespace {
// Whether a bold font draws more ink than the regular one of its size.
bool DrawsBolder(HFONT bold, HFONT regular) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 60);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    auto ink = [&](HFONT font) {
        RECT r{0, 0, 200, 60};
        ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = ::SelectObject(dc, font);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutW(dc, 2, 2, L"Hxlo", 4);
        ::SelectObject(dc, old);
        long total = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 200; ++x) total += 255 - GetRValue(::GetPixel(dc, x, y));
        return total;
    };
    long regularInk = ink(regular), boldInk = ink(bold);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return boldInk > regularInk + regularInk / 10;
}

struct FontSet {
    HFONT fonts[4] = {};
    bool flatBold = false;  // the bold face draws like the regular one
};

std::map<int, FontSet>& Fonts() {
    static std::map<int, FontSet> fonts;
    return fonts;
}

HFONT MakeFont(int dpi, bool bold, bool underline) {
    return ::CreateFontW(-::MulDiv(8, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                         underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

FontSet& FontSetFor(int dpi) {
    auto [it, added] = Fonts().try_emplace(dpi);
    FontSet& set = it->second;
    if (added) {
        for (int i = 0; i < 4; ++i) set.fonts[i] = MakeFont(dpi, i & 1, i & 2);
        set.flatBold = !DrawsBolder(set.fonts[1], set.fonts[0]);
    }
    return set;
}
}  // namespace

HFONT FontFor(int dpi, bool bold, bool underline) {
    return FontSetFor(dpi).fonts[(bold ? 1 : 0) + (underline ? 2 : 0)];
}

int DrawUiText(HDC dc, const std::wstring& text, RECT& r, HFONT font, UINT flags) {
    // A bold face that draws like the regular one keeps its wider advances too: the regular face
    // drawn twice a pixel apart spaces its letters and its underline as they look.
    bool twice = false;
    for (auto& [dpi, set] : Fonts())
        if (set.flatBold && (font == set.fonts[1] || font == set.fonts[3])) {
            font = set.fonts[font == set.fonts[1] ? 0 : 2];
            twice = true;
        }
    HGDIOBJ old = ::SelectObject(dc, font);
    int length = static_cast<int>(text.size());
    int height = ::DrawTextW(dc, text.c_str(), length, &r, flags);
    if (twice) {
        if (flags & DT_CALCRECT) {
            r.right += 1;
        } else {
            RECT again = r;
            ::OffsetRect(&again, 1, 0);
            int mode = ::SetBkMode(dc, TRANSPARENT);
            ::DrawTextW(dc, text.c_str(), length, &again, flags);
            ::SetBkMode(dc, mode);
        }
    }
    ::SelectObject(dc, old);
    return height;
}

namespace {
int g_forcedHighContrast = -1;
}

void ForceHighContrast(int state) { g_forcedHighContrast = state; }

bool HighContrast() {
    if (g_forcedHighContrast >= 0) return g_forcedHighContrast == 1;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

COLORREF AccentColor() { return HighContrast() ? ::GetSysColor(COLOR_WINDOWTEXT) : kAccent; }

HBRUSH SolidBrush(COLORREF color) {
    static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH& brush = brushes[color];
    if (!brush) brush = ::CreateSolidBrush(color);
    return brush;
}

ShiftState CurrentShiftState() {
    ShiftState s;
    s.shift = ::GetKeyState(VK_SHIFT) < 0;
    s.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    s.alt = ::GetKeyState(VK_MENU) < 0;
    return s;
}

// ---------------------------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* peer = static_cast<Win32Peer*>(create->lpCreateParams);
        if (peer) peer->Attach(hwnd);
    }
    Win32Peer* peer = Win32Peer::Of(hwnd);
    if (!peer) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        Bindings().erase(hwnd);
        peer->m_hwnd = nullptr;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return peer->WndProc(msg, wParam, lParam);
}

LRESULT CALLBACK NativeSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto found = Bindings().find(hwnd);
    if (found == Bindings().end()) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    const Binding binding = found->second;
    if (msg == WM_NCDESTROY) {
        // The last message: the control's own procedure stays in place for it and after it.
        Bindings().erase(found);
        if (binding.peer) {
            binding.peer->m_hwnd = nullptr;
            binding.peer->m_subclassed = false;
        }
        return ::CallWindowProcW(binding.native, hwnd, msg, wParam, lParam);
    }
    // A peer already gone leaves its control to the control's own procedure.
    if (!binding.peer) return ::CallWindowProcW(binding.native, hwnd, msg, wParam, lParam);
    return binding.peer->SubclassProc(msg, wParam, lParam);
}

Win32Peer* Win32Peer::Of(HWND window) {
    if (!window) return nullptr;
    auto found = Bindings().find(window);
    return found == Bindings().end() ? nullptr : found->second.peer;
}

void Win32Peer::Attach(HWND window) {
    m_hwnd = window;
    Bindings()[window].peer = this;
}

namespace {
std::set<Win32Peer*>& DeferredPages() {
    static std::set<Win32Peer*> pages;
    return pages;
}
}  // namespace

void Win32Peer::DeferChildren(std::function<void()> realize) {
    m_deferredChildren = std::move(realize);
    DeferredPages().insert(this);
}

void Win32Peer::RealizeDeferredPages() {
    // Realising a page may defer the pages within it.
    while (!DeferredPages().empty()) (*DeferredPages().begin())->RealizeDeferredChildren();
}

void Win32Peer::RealizeDeferredChildren() {
    DeferredPages().erase(this);
    std::function<void()> realize;
    realize.swap(m_deferredChildren);
    if (realize) realize();
}

Win32Peer::~Win32Peer() {
    DeferredPages().erase(this);
    if (!m_hwnd) return;
    // Detach first: the window's last messages must not reach a model that is going away.
    HWND window = m_hwnd;
    // A native control keeps its binding, without the peer, until its last message: whatever
    // subclassed it after this program still hands messages down to the control's procedure.
    if (m_subclassed)
        Bindings()[window].peer = nullptr;
    else
        Bindings().erase(window);
    m_hwnd = nullptr;
    if (::IsWindow(window)) ::DestroyWindow(window);
}

// ---------------------------------------------------------------------------------------------
// Creation

DWORD Win32Peer::CommonStyle() const {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (m_model.Visible()) style |= WS_VISIBLE;
    if (!m_model.Enabled()) style |= WS_DISABLED;
    return style;
}

Rect Win32Peer::ScreenBounds() const {
    RECT r{};
    if (m_hwnd) ::GetWindowRect(m_hwnd, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
}

RECT Win32Peer::NativeBounds() const {
    // Bounds are relative to the parent window's origin: a group box's client rectangle only
    // keeps its aligned children clear of the frame, and Realign has already applied it.
    // Each edge is scaled from the form's client origin, not from the parent's: neighbours then
    // meet, and a child that ends where its parent ends still does, whatever the rounding.
    Rect b = m_model.Bounds();
    int originX = 0, originY = 0;
    for (TControl* p = m_model.Parent(); p && !dynamic_cast<TForm*>(p); p = p->Parent()) {
        originX += p->Bounds().left;
        originY += p->Bounds().top;
    }
    auto edge = [&](int origin, int value) { return Scale(origin + value) - Scale(origin); };
    return RECT{edge(originX, b.left), edge(originY, b.top), edge(originX, b.right),
                edge(originY, b.bottom)};
}

void Win32Peer::CreateContainer(HWND parent, DWORD style, DWORD exStyle, const wchar_t* formClass) {
    const wchar_t* cls = formClass ? formClass : kContainerClass;
    RegisterClassOnce(cls, formClass != nullptr);
    if (!formClass) m_dpi = parent ? DpiOf(parent) : SystemDpi();
    RECT r = NativeBounds();
    ::CreateWindowExW(exStyle, cls, m_model.Caption().c_str(), style, r.left, r.top,
                      r.right - r.left, r.bottom - r.top, parent, nullptr,
                      ::GetModuleHandleW(nullptr), this);
}

void Win32Peer::CreateNative(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle) {
    m_dpi = DpiOf(parent);
    RECT r = NativeBounds();
    HWND window = ::CreateWindowExW(exStyle, className, m_model.Caption().c_str(), style, r.left,
                                    r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (!window) return;
    Attach(window);
    Bindings()[window].native = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeSubclassProc)));
    m_subclassed = true;
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(m_model.bold)), FALSE);
}

// ---------------------------------------------------------------------------------------------
// Model to native

void Win32Peer::Sync(Prop what, int arg) {
    if (!m_hwnd) return;
    switch (what) {
        case Prop::Visible:
            if (m_model.Visible()) RealizeDeferredChildren();
            ::ShowWindow(m_hwnd, m_model.Visible() ? SW_SHOWNA : SW_HIDE);
            break;
        case Prop::Enabled:
            ::EnableWindow(m_hwnd, m_model.Enabled());
            break;
        case Prop::Bounds: {
            RECT r = NativeBounds();
            ::SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Prop::Focus:
            // A control on a hidden page or form keeps the focus in the model only.
            if (::IsWindowVisible(m_hwnd) && ::IsWindowEnabled(m_hwnd)) ::SetFocus(m_hwnd);
            break;
        case Prop::Style:
            ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(m_model.bold)),
                           FALSE);
            ::InvalidateRect(m_hwnd, nullptr, TRUE);
            break;
        case Prop::Paint:
            ::UpdateWindow(m_hwnd);
            break;
        case Prop::Hint:
            UpdateToolTip(m_hwnd, m_model);
            break;
        case Prop::Text:
            // A window of the program's own class paints its text itself, but keeps it as its
            // window text too, where other programs (and screen readers) read it.
            ::SetWindowTextW(m_hwnd, m_model.Caption().c_str());
            if (!m_subclassed) ::InvalidateRect(m_hwnd, nullptr, TRUE);
            break;
        default:
            break;
    }
    OnSync(what, arg);
}

void Win32Peer::DpiChanged() {
    if (!m_hwnd) return;
    if (m_subclassed)
        ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(m_model.bold)), FALSE);
    Sync(Prop::Bounds, 0);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void ForEachPeer(TControl& control, const std::function<void(Win32Peer&)>& visit) {
    if (auto* peer = dynamic_cast<Win32Peer*>(control.Peer())) visit(*peer);
    for (TControl* child : control.Children()) ForEachPeer(*child, visit);
}

// ---------------------------------------------------------------------------------------------
// Native to model

COLORREF Win32Peer::ParentBackground() const {
    for (TControl* c = m_model.Parent(); c; c = c->Parent())
        if (auto* peer = dynamic_cast<Win32Peer*>(c->Peer())) return peer->Background();
    return ::GetSysColor(COLOR_BTNFACE);
}

COLORREF Win32Peer::Background() const { return ParentBackground(); }

void Win32Peer::Paint(HDC dc, const RECT& client) {
    ::FillRect(dc, &client, SolidBrush(Background()));
}

bool Win32Peer::RouteChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The owner-draw messages of a popup menu this window owns.
    if (RouteMenuMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
        case WM_COMMAND:
            if (Win32Peer* child = Of(reinterpret_cast<HWND>(lParam))) {
                result = 0;
                return child->OnCommand(HIWORD(wParam));
            }
            return false;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (Win32Peer* child = Of(header->hwndFrom)) return child->OnNotify(header, result);
            return false;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (Win32Peer* child = Of(reinterpret_cast<HWND>(lParam))) {
                child->OnScroll();
                result = 0;
                return true;
            }
            return false;
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (Win32Peer* child = Of(item->hwndItem)) {
                child->OnDrawItem(item);
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // Check boxes, buttons and read-only edits sit on this window's colour.
            HDC dc = reinterpret_cast<HDC>(wParam);
            COLORREF back = Background();
            ::SetBkColor(dc, back);
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            result = reinterpret_cast<LRESULT>(SolidBrush(back));
            return true;
        }
        default:
            return false;
    }
}

LRESULT Win32Peer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteChildMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT paints everything
        case WM_PRINTCLIENT: {
            // A child asks for what lies behind it (DrawThemeParentBackground).
            RECT client;
            ::GetClientRect(m_hwnd, &client);
            Paint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(m_hwnd, &ps);
            RECT client;
            ::GetClientRect(m_hwnd, &client);
            Paint(dc, client);
            ::EndPaint(m_hwnd, &ps);
            return 0;
        }
        case WM_SETFOCUS:
            m_model.PeerFocused();
            break;
        default:
            break;
    }
    return ::DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT Win32Peer::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND window = m_hwnd;
    switch (msg) {
        case WM_SETFOCUS:
            m_model.PeerFocused();
            break;
        case WM_KILLFOCUS:
            if (auto* app = TApplication::Current())
                if (app->FocusedControl() == &m_model) app->SetFocusedControl(nullptr);
            break;
        default:
            break;
    }
    auto found = Bindings().find(window);
    if (found == Bindings().end()) return ::DefWindowProcW(window, msg, wParam, lParam);
    return ::CallWindowProcW(found->second.native, window, msg, wParam, lParam);
}

}  // namespace nv::win32
