// The non-visual peers: image lists, timers and the help viewer (the popup menus have a file of
// their own, PopupMenus.cpp).
#include <map>
#include <vector>

#include "platform/win32/SystemLibraries.h"
#include "widgets/Application.h"
#include "widgets/win32/Peers.h"

namespace nv::win32 {

namespace {

// A transparent 16x16 icon: the image a null icon adds, so indexes stay aligned with items.
HICON BlankIcon() {
    static HICON icon = [] {
        std::vector<BYTE> andMask(16 * 16 / 8, 0xFF), xorMask(16 * 16 / 8, 0x00);
        return ::CreateIcon(::GetModuleHandleW(nullptr), 16, 16, 1, 1, andMask.data(),
                            xorMask.data());
    }();
    return icon;
}

class ImageListPeer final : public TImageList::IPeer {
public:
    explicit ImageListPeer(TImageList& list) : m_list(list) { m_handle = Make(ILC_COLOR32); }
    ~ImageListPeer() override {
        if (m_handle) ::ImageList_Destroy(m_handle);
    }
    void Clear() override { ::ImageList_RemoveAll(m_handle); }
    void AddIcon(IconHandle icon) override {
        HICON source = icon ? reinterpret_cast<HICON>(icon) : BlankIcon();
        ::ImageList_AddIcon(m_handle, source);  // copies the image; the caller keeps the icon
    }
    bool Recreate32Bit() override {
        HIMAGELIST fresh = Make(ILC_COLOR32);
        if (!fresh) return false;
        for (int i = 0, n = ::ImageList_GetImageCount(m_handle); i < n; ++i) {
            HICON icon = ::ImageList_GetIcon(m_handle, i, ILD_NORMAL);
            ::ImageList_AddIcon(fresh, icon ? icon : BlankIcon());
            if (icon) ::DestroyIcon(icon);
        }
        ::ImageList_Destroy(m_handle);
        m_handle = fresh;
        return true;
    }
    HIMAGELIST Handle() const { return m_handle; }

private:
    HIMAGELIST Make(UINT colour) {
        // Sized for the dpi at start: the program icons are fetched at that size.
        return ::ImageList_Create(ScaleFor(SystemDpi(), m_list.width),
                                  ScaleFor(SystemDpi(), m_list.height),
                                  colour | (m_list.masked ? ILC_MASK : 0), 0, m_list.allocBy);
    }
    TImageList& m_list;
    HIMAGELIST m_handle = nullptr;
};

// Timers tick on one hidden message window.
class TimerPeer;
std::map<UINT_PTR, TimerPeer*>& Timers() {
    static std::map<UINT_PTR, TimerPeer*> timers;
    return timers;
}

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

HWND TimerWindow() {
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TimerWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"NivoraTimerWindow";
        ::RegisterClassW(&wc);
        return ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
    }();
    return window;
}

class TimerPeer final : public TTimer::IPeer {
public:
    explicit TimerPeer(TTimer& timer) : m_timer(timer) {
        static UINT_PTR next = 1;
        m_id = next++;
        Timers()[m_id] = this;
        Update();
    }
    ~TimerPeer() override {
        ::KillTimer(TimerWindow(), m_id);
        Timers().erase(m_id);
    }
    void Update() override {
        if (m_timer.Enabled() && m_timer.interval > 0)
            ::SetTimer(TimerWindow(), m_id, m_timer.interval, nullptr);
        else
            ::KillTimer(TimerWindow(), m_id);
    }
    void Tick() {
        Dispatch([&] { m_timer.Tick(); });
    }

private:
    TTimer& m_timer;
    UINT_PTR m_id = 0;
};

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        auto it = Timers().find(wParam);
        if (it != Timers().end()) it->second->Tick();
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

std::unique_ptr<TImageList::IPeer> MakeImageListPeer(TImageList& list) {
    return std::make_unique<ImageListPeer>(list);
}

HIMAGELIST NativeImageList(TImageList& list) {
    auto* peer = dynamic_cast<ImageListPeer*>(list.Peer());
    return peer ? peer->Handle() : nullptr;
}

std::unique_ptr<TTimer::IPeer> MakeTimerPeer(TTimer& timer) {
    return std::make_unique<TimerPeer>(timer);
}

void OpenHelp(const std::wstring& helpFile, int context) {
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    static HtmlHelpFn htmlHelp = [] {
        HMODULE module = LoadSystemLibrary(L"hhctrl.ocx");
        return module ? reinterpret_cast<HtmlHelpFn>(
                            reinterpret_cast<void*>(::GetProcAddress(module, "HtmlHelpW")))
                      : nullptr;
    }();
    if (!htmlHelp || helpFile.empty()) return;
    constexpr UINT kHhHelpContext = 0x000F;
    htmlHelp(::GetDesktopWindow(), helpFile.c_str(), kHhHelpContext,
             static_cast<DWORD_PTR>(context));
}

void ShowFormHelp(TForm& form) {
    if (auto* app = TApplication::Current())
        app->ShowHelpFor(form);
    else
        OpenHelp(form.helpFile, form.EffectiveHelpContext());
}

}  // namespace nv::win32
