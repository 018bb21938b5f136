// nvatray.dll under Wine: its export table, and what HideTray and RestoreTray do to a tray tree
// this test builds, called through the platform's binding as the program calls them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "PlatformTestSupport.h"

namespace {

using nvtest::PlatformTest;
using nvtest::TestFolder;

HWND Make(const wchar_t* className, HWND parent, bool visible) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassW(&wc);  // a second registration fails harmlessly
    DWORD style = (parent ? WS_CHILD : WS_POPUP) | (visible ? WS_VISIBLE : 0);
    return ::CreateWindowExW(parent ? 0 : WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, L"",
                             style, 0, 0, 50, 20, parent, nullptr, wc.hInstance, nullptr);
}

// Shell_TrayWnd > TrayNotifyWnd > a toolbar, a toolbar hidden already, a SysPager > a toolbar,
// the clock; and the overflow panel.
struct TrayTree {
    explicit TrayTree(bool toolbarsShown) {
        taskbar = Make(L"Shell_TrayWnd", nullptr, true);
        HWND notify = Make(L"TrayNotifyWnd", taskbar, true);
        direct = Make(L"ToolbarWindow32", notify, toolbarsShown);
        hiddenBefore = Make(L"ToolbarWindow32", notify, false);
        paged = Make(L"ToolbarWindow32", Make(L"SysPager", notify, true), toolbarsShown);
        clock = Make(L"TrayClockWClass", notify, true);
        overflow = Make(L"NotifyIconOverflowWindow", nullptr, toolbarsShown);
    }
    ~TrayTree() {
        ::DestroyWindow(overflow);
        ::DestroyWindow(taskbar);
    }
    HWND taskbar, direct, hiddenBefore, paged, clock, overflow;
};

bool Own(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(TrayLibrary, ExportsHideTrayAndRestoreTrayUndecoratedFromA64BitImage) {
    nvtest::LibraryExports library = nvtest::ReadLibraryExports(L"nvatray.dll");
    EXPECT_TRUE(library.amd64);
    EXPECT_EQ(library.names, (std::set<std::string>{"HideTray", "RestoreTray"}));
}

TEST_F(PlatformTest, TheTrayLibraryHidesTheIconToolbarsOnlyAndShowsBackWhatItHid) {
    nv::ITrayLibrary& tray = m_platform.tray;
    // Only a full path to a library with both exports binds.
    EXPECT_FALSE(tray.LoadTrayLibrary(L"nvatray.dll"));
    EXPECT_FALSE(tray.LoadTrayLibrary(TestFolder() + L"\\missing\\nvatray.dll"));
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_FALSE(tray.LoadTrayLibrary(std::wstring(system) + L"\\version.dll"));
    ASSERT_TRUE(tray.LoadTrayLibrary(TestFolder() + L"\\nvatray.dll"));

    auto* tree = new TrayTree(true);
    // A wrong first argument or access code does nothing.
    HMODULE module = ::GetModuleHandleW(L"nvatray.dll");
    auto hide = reinterpret_cast<int(__stdcall*)(int, const char*)>(
        reinterpret_cast<void*>(::GetProcAddress(module, "HideTray")));
    ASSERT_NE(hide, nullptr);
    EXPECT_EQ(hide(2, "739402"), 0);
    EXPECT_EQ(hide(1, "739403"), 0);
    EXPECT_EQ(hide(1, nullptr), 0);
    EXPECT_TRUE(Own(tree->direct) && Own(tree->paged) && Own(tree->overflow));

    tray.HideTray(1, "739402");
    EXPECT_FALSE(Own(tree->direct));
    EXPECT_FALSE(Own(tree->paged));
    EXPECT_FALSE(Own(tree->overflow));
    EXPECT_TRUE(::IsWindowVisible(tree->clock));
    EXPECT_TRUE(::IsWindowVisible(tree->taskbar));
    tray.RestoreTray();
    EXPECT_TRUE(Own(tree->direct) && Own(tree->paged) && Own(tree->overflow));
    EXPECT_FALSE(Own(tree->hiddenBefore));

    // Explorer restarts while the icons are hidden: the toolbars in the same places of the new
    // tray are shown, a new overflow panel stays closed; a second restore does nothing.
    tray.HideTray(1, "739402");
    delete tree;
    tree = new TrayTree(false);
    tray.RestoreTray();
    EXPECT_TRUE(Own(tree->direct));
    EXPECT_TRUE(Own(tree->paged));
    EXPECT_FALSE(Own(tree->hiddenBefore));
    EXPECT_FALSE(Own(tree->overflow));
    ::ShowWindow(tree->direct, SW_HIDE);
    tray.RestoreTray();
    EXPECT_FALSE(Own(tree->direct));
    delete tree;
}

}  // namespace
