// Shared pieces of the widget peer tests: a window manager that records message boxes instead
// of showing them (every other call answers "nothing"), a backend that records the help and
// menus it is asked to show, and a pump for pending messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "widgets/Controls.h"

namespace nvtest {

class RecordingWindows final : public nv::IWindowManager {
public:
    std::vector<std::wstring> boxes;

    nv::MessageBoxResult MessageBoxW(nv::WindowHandle, const std::wstring& text,
                                     const std::wstring&, nv::MessageBoxKind,
                                     nv::MessageBoxButtons) override {
        boxes.push_back(text);
        return nv::MessageBoxResult::Ok;
    }
    nv::WindowHandle GetTopWindow() override { return 0; }
    nv::WindowHandle GetNextWindow(nv::WindowHandle) override { return 0; }
    std::wstring InternalGetWindowText(nv::WindowHandle, int) override { return {}; }
    std::wstring GetClassNameW(nv::WindowHandle, int) override { return {}; }
    bool GetWindowStyles(nv::WindowHandle, nv::WindowStyles&) override { return false; }
    nv::ProcessId GetWindowThreadProcessId(nv::WindowHandle) override { return 0; }
    std::uint32_t GetWindowThreadAndProcessId(nv::WindowHandle, nv::ProcessId& pid) override {
        pid = 0;
        return 0;
    }
    std::uint32_t GetWindowExStyle(nv::WindowHandle) override { return 0; }
    void SetWindowExStyleAndWait(nv::WindowHandle, std::uint32_t) override {}
    bool PostMessageW(nv::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
        return false;
    }
    bool ShowWindowAndWait(nv::WindowHandle, int) override { return false; }
    bool ShowWindowAsync(nv::WindowHandle, int) override { return false; }
    void SetWindowPosAndWait(nv::WindowHandle, nv::WindowHandle) override {}
    bool SendMessageTimeoutW(nv::WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t,
                             std::uint32_t) override {
        return false;
    }
    nv::WindowHandle FindWindowW(const std::wstring&, const std::wstring&) override { return 0; }
    nv::WindowHandle FindWindowExW(nv::WindowHandle, nv::WindowHandle, const std::wstring&,
                                   const std::optional<std::wstring>&) override {
        return 0;
    }
    nv::WindowHandle GetForegroundWindow() override { return 0; }
    bool SetForegroundWindow(nv::WindowHandle) override { return false; }
    bool IsWindow(nv::WindowHandle) override { return false; }
    bool IsIconic(nv::WindowHandle) override { return false; }
    bool IsWindowVisible(nv::WindowHandle) override { return false; }
    nv::WindowHandle GetShellWindow() override { return 0; }
    std::uint32_t DwmGetWindowCloaked(nv::WindowHandle) override { return 0; }
    std::optional<int> GetToolbarButtonCount(nv::WindowHandle, std::uint32_t) override {
        return std::nullopt;
    }
    bool RegisterHotKey(nv::WindowHandle, int, std::uint32_t, std::uint32_t) override {
        return false;
    }
    bool UnregisterHotKey(nv::WindowHandle, int) override { return false; }
    std::uint32_t MapVirtualKeyW(std::uint32_t) override { return 0; }
    std::wstring GetKeyNameTextW(std::int32_t) override { return {}; }
    nv::Point GetCursorPos() override { return {}; }
    nv::Rect GetPrimaryScreenRect() override { return {0, 0, 1280, 1024}; }
    nv::Rect GetWorkArea() override { return {0, 0, 1280, 1024}; }
    nv::MonitorInfo MonitorFromPoint(nv::Point) override { return {{0, 0, 1280, 1024}, 96}; }
    std::optional<std::wstring> GetInputDesktopName() override { return L"Default"; }
    bool WTSRegisterSessionNotification(nv::WindowHandle) override { return false; }
    void WTSUnRegisterSessionNotification(nv::WindowHandle) override {}
    nv::WindowHandle GetDesktopWindow() override { return 0; }
    std::uint32_t GetLastInputInfo() override { return 0; }
    std::uint32_t RegisterWindowMessageW(const std::wstring&) override { return 0; }
    void LockWorkStation(nv::ProcAddress) override {}
};

// Forwards to the native backend and records the help requests and the menus to show.
class HelpRecordingBackend : public nv::IWidgetBackend {
public:
    explicit HelpRecordingBackend(nv::IWidgetBackend& real) : m_real(real) {}
    void Realize(nv::TForm& form) override { m_real.Realize(form); }
    void RealizeImageList(nv::TImageList& list) override { m_real.RealizeImageList(list); }
    void RealizeTimer(nv::TTimer& timer) override { m_real.RealizeTimer(timer); }
    void RunMessageLoop() override { m_real.RunMessageLoop(); }
    void PostQuit() override { m_real.PostQuit(); }
    nv::ModalResult RunModal(nv::TForm& form) override { return m_real.RunModal(form); }
    void ShowPopupMenu(nv::TPopupMenu& menu, int x, int y) override {
        menus.push_back({menu.name, POINT{x, y}});
    }
    void ShowHelp(const std::wstring&, int context) override { contexts.push_back(context); }
    void RealizeDeferred() override { m_real.RealizeDeferred(); }
    std::vector<int> contexts;
    std::vector<std::pair<std::string, POINT>> menus;

private:
    nv::IWidgetBackend& m_real;
};

// Handles every message already waiting (painting, posted notifications).
inline void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

inline HWND Hwnd(nv::WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

inline std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = {};
    ::GetWindowTextW(window, buffer, 512);
    return buffer;
}

}  // namespace nvtest
