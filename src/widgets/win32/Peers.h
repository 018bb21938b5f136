// The Win32 peers of the control models: one class per control kind, on a common base that
// keeps the window handle, follows the model's common properties and routes the notifications
// a parent window receives to the peer of the child that sent them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "widgets/Controls.h"

namespace nv::win32 {

// Runs a handler of the program through the application's error boundary.
void Dispatch(const std::function<void()>& handler);

// The dpi of the primary monitor at start: forms are laid out for it until Windows tells one,
// with WM_DPICHANGED, that it now lies on a monitor of another dpi.
int SystemDpi();
// The dpi a window of the program is laid out for (its peer's), else what Windows says of it.
int DpiOf(HWND window);
// Model pixels (96 dpi) to pixels at a dpi and back.
int ScaleFor(int dpi, int value);
int UnscaleFor(int dpi, int value);

// The shared drawing resources: the Tahoma 8 pt fonts at a dpi and solid brushes.
HFONT FontFor(int dpi, bool bold, bool underline = false);
HBRUSH SolidBrush(COLORREF color);
// DrawTextW with the font selected. Where a bold font draws no bolder than the regular one at
// its size (Wine's Tahoma Bold from 16 pixels up), the regular face is drawn twice, one pixel
// apart, and measured one pixel wider.
int DrawUiText(HDC dc, const std::wstring& text, RECT& r, HFONT font, UINT flags);
// A model colour (0x00BBGGRR, 0xFFFFFFFF for "default") or the fallback.
inline COLORREF ModelColor(std::uint32_t color, COLORREF fallback) {
    return color == 0xFFFFFFFF ? fallback : static_cast<COLORREF>(color);
}
constexpr COLORREF kAccent = RGB(11, 75, 140);
// True while Windows' high-contrast mode is on: the widgets then draw with the system colours
// only (no accent, gradients or colour bars behind text), so the user's scheme stays readable.
bool HighContrast();
// For tests, where Wine cannot turn high contrast on: 1 or 0 forces the answer, -1 asks Windows.
void ForceHighContrast(int state);
// The accent colour of frames, check marks and headings; the window text colour in high contrast.
COLORREF AccentColor();

ShiftState CurrentShiftState();

// The window procedure of the program's own window classes and the subclass procedure of the
// native controls; both hand the messages to the window's peer.
LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK NativeSubclassProc(HWND, UINT, WPARAM, LPARAM);

class Win32Peer : public IControlPeer {
public:
    explicit Win32Peer(TControl& model) : m_model(model) {}
    ~Win32Peer() override;
    Win32Peer(const Win32Peer&) = delete;
    Win32Peer& operator=(const Win32Peer&) = delete;

    WindowHandle Handle() const override { return reinterpret_cast<WindowHandle>(m_hwnd); }
    Rect ScreenBounds() const override;
    HWND Hwnd() const { return m_hwnd; }
    TControl& Model() const { return m_model; }

    // The dpi this control is laid out for, its form's, and the scaling and fonts at it.
    int Dpi() const { return m_dpi; }
    int Scale(int value) const { return ScaleFor(m_dpi, value); }
    int Unscale(int value) const { return UnscaleFor(m_dpi, value); }
    HFONT UiFont(bool bold, bool underline = false) const {
        return FontFor(m_dpi, bold, underline);
    }
    // The form moved to a monitor of another dpi: every peer of it takes the new dpi first,
    // then each control its font, place and pictures (DpiChanged).
    void SetDpi(int dpi) { m_dpi = dpi; }
    virtual void DpiChanged();

    // Creates the native window as a child of parent (a form peer: the owner, or null).
    virtual void Create(HWND parent) = 0;
    void Sync(Prop what, int arg) override;

    // A page not shown when its form is realised makes its controls later: when it is first
    // shown, or when RealizeDeferredPages makes those of every such page.
    void DeferChildren(std::function<void()> realize);
    void RealizeDeferredChildren();
    static void RealizeDeferredPages();

    // What a child window tells its parent, routed here by the parent container.
    virtual bool OnCommand(WORD code) { return false; }
    virtual bool OnNotify(NMHDR* header, LRESULT& result) { return false; }
    virtual void OnScroll() {}
    virtual void OnDrawItem(DRAWITEMSTRUCT* item) {}
    // The colour children paint behind themselves.
    virtual COLORREF Background() const;

    // The window procedure of a container window and the subclass procedure of a native control.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam);

    static Win32Peer* Of(HWND window);

protected:
    // Creates a window of the program's container class (or of formClass for a form).
    void CreateContainer(HWND parent, DWORD style, DWORD exStyle,
                         const wchar_t* formClass = nullptr);
    // Creates a native control, subclassed so that focus and keys reach the peer.
    void CreateNative(HWND parent, const wchar_t* className, DWORD style, DWORD exStyle);
    virtual void OnSync(Prop what, int arg) {}
    virtual void Paint(HDC dc, const RECT& client);
    // The model bounds in the parent window's client coordinates, in screen pixels.
    RECT NativeBounds() const;
    DWORD CommonStyle() const;
    COLORREF ParentBackground() const;
    void Attach(HWND window);
    // Routes the parent-side messages of the children (commands, notifications, colours).
    bool RouteChildMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    TControl& m_model;
    HWND m_hwnd = nullptr;
    bool m_subclassed = false;
    std::function<void()> m_deferredChildren;
    int m_dpi = SystemDpi();

private:
    friend LRESULT CALLBACK ContainerProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK NativeSubclassProc(HWND, UINT, WPARAM, LPARAM);
};

// Gives a control's tooltip the model's hint as it is now.
void UpdateToolTip(HWND control, const TControl& model);

// Factories, one per control kind; Realize picks by the model's type.
std::unique_ptr<Win32Peer> MakeFormPeer(TForm& form);
std::unique_ptr<Win32Peer> MakePanelPeer(TControl& control);  // panels, sheets, page controls
std::unique_ptr<Win32Peer> MakeGroupBoxPeer(TGroupBox& group);
std::unique_ptr<Win32Peer> MakeHeadingPeer(TGradientHeading& heading);
std::unique_ptr<Win32Peer> MakeLabelPeer(TLabel& label);
std::unique_ptr<Win32Peer> MakeImagePeer(TImage& image);
std::unique_ptr<Win32Peer> MakeSplitterPeer(TSplitter& splitter);
std::unique_ptr<Win32Peer> MakeButtonPeer(TButton& button);
std::unique_ptr<Win32Peer> MakeSpeedButtonPeer(TSpeedButton& button);
std::unique_ptr<Win32Peer> MakeCheckBoxPeer(TCheckBox& box);
std::unique_ptr<Win32Peer> MakeEditPeer(TEdit& edit);
std::unique_ptr<Win32Peer> MakeSpinEditPeer(TSpinEdit& spin);
std::unique_ptr<Win32Peer> MakeSliderPeer(TSlider& slider);
std::unique_ptr<Win32Peer> MakeListViewPeer(TListView& list);

// Every peer in a control's tree, the control's own first.
void ForEachPeer(TControl& control, const std::function<void(Win32Peer&)>& visit);

std::unique_ptr<TImageList::IPeer> MakeImageListPeer(TImageList& list);
HIMAGELIST NativeImageList(TImageList& list);
std::unique_ptr<TTimer::IPeer> MakeTimerPeer(TTimer& timer);

// Popup menus and help.
void TrackMenu(TPopupMenu& menu, int x, int y);
void OpenHelp(const std::wstring& helpFile, int context);
// F1 on a form: help at the focused control's context, else the form's.
void ShowFormHelp(TForm& form);
bool IsFormWindow(HWND window);

}  // namespace nv::win32
