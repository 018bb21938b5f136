// The fixture of the hide/restore cycle's tests: a started program on the in-memory desktop,
// three programs to open windows for, a hotkey press, and the calls made on one window.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "conceal/HideCycle.h"
#include "conceal/WallpaperStep.h"
#include "inventory/WindowEntry.h"
#include "support/Harness.h"

namespace nv::test {

constexpr ProcessId kEditorPid = 100;
constexpr ProcessId kViewerPid = 200;
constexpr ProcessId kShellPid = 300;

inline std::string Hex(WindowHandle h) {
    std::ostringstream out;
    out << std::hex << h;
    return out.str();
}

class HideCycle : public ::testing::Test {
  protected:
    void SetUp() override {
        h.desktop.AddProcess(kEditorPid, L"\\Device\\HarddiskVolume1\\Apps\\Editor.exe");
        h.desktop.AddProcess(kViewerPid, L"\\Device\\HarddiskVolume1\\Tools\\MyEditor.exe.bak");
        h.desktop.AddProcess(kShellPid, L"\\Device\\HarddiskVolume1\\Windows\\explorer.exe");
        ASSERT_TRUE(h.Start());
        h.Form().btnWindows.SetFocus();
    }

    WindowHandle Open(const std::wstring& title, ProcessId pid, std::uint32_t exStyle = 0,
                      const std::wstring& className = L"AppWindow") {
        WindowHandle w = h.desktop.AddWindow(title, className, pid);
        h.desktop.Window(w).exStyle = exStyle;
        return w;
    }
    bool Shown(WindowHandle w) { return h.desktop.IsWindowVisible(w); }
    void Press() {
        h.User([&] { h.Form().HotKey(0); });
    }
    bool Hidden() { return h.Form().IsHiddenMode(); }
    static void AddEntry(TListView& list, const std::string& title, const std::string& path,
                         bool allWindows) {
        auto entry = std::make_unique<TWindowEntry>();
        entry->SetTitleBytes(title);
        entry->SetPathBytes(path);
        entry->SetAllWindows(allWindows ? 1 : 0);
        list.Add().SetData(std::move(entry));
    }
    void Spare(const std::string& title, const std::string& path, bool allWindows) {
        AddEntry(h.Form().ExcludeList, title, path, allWindows);
    }
    // Calls made on one window, in order.
    std::vector<std::string> CallsOn(WindowHandle w) {
        std::vector<std::string> out;
        std::string handle = "(";
        handle += Hex(w);
        for (const std::string& c : h.desktop.calls) {
            std::size_t at = c.find(handle);
            if (at == std::string::npos) continue;
            char next = c[at + handle.size()];  // handles are alike in their first digits
            if (next == ',' || next == ')') out.push_back(c);
        }
        return out;
    }
    // These windows in the desktop's Z order, the topmost first.
    std::vector<WindowHandle> InZOrder(const std::vector<WindowHandle>& windows) {
        std::vector<WindowHandle> order;
        for (WindowHandle w : h.desktop.ZOrder())
            if (std::find(windows.begin(), windows.end(), w) != windows.end()) order.push_back(w);
        return order;
    }
    std::size_t CallIndex(const std::string& call) {
        auto it = std::find(h.desktop.calls.begin(), h.desktop.calls.end(), call);
        return static_cast<std::size_t>(it - h.desktop.calls.begin());
    }

    Harness h;
};

}  // namespace nv::test
