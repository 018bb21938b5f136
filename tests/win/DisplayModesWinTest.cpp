// The display modes through Wine's own display settings: the real enumeration, and the "List"
// button of the real main window dropping down a native menu that holds every mode Wine lists.
#include <gtest/gtest.h>

#include <map>

#include "PlatformTestSupport.h"
#include "WidgetTestSupport.h"  // <windows.h> first
#include "display/DisplayFunctions.h"
#include "shell/Globals.h"
#include "ui/MainForm.h"
#include "widgets/win32/Win32Backend.h"

namespace {

// A native menu as it was shown: each item's text and its submenu.
struct NativeItem {
    std::wstring text;
    std::vector<NativeItem> items;
};

std::vector<NativeItem> ReadMenu(HMENU menu) {
    std::vector<NativeItem> out;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        ::GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        NativeItem item{text, {}};
        if (HMENU sub = ::GetSubMenu(menu, i)) item.items = ReadMenu(sub);
        out.push_back(item);
    }
    return out;
}

// Read while the menu is up, from a timer its loop dispatches; then the menu is closed.
std::vector<NativeItem> g_shown;
void CALLBACK ReadShownMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup)) return;
    ::KillTimer(nullptr, timer);
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    g_shown = ReadMenu(menu);
    ::EndMenu();
}

const NativeItem* Child(const std::vector<NativeItem>& items, const std::wstring& text) {
    for (const NativeItem& item : items)
        if (item.text == text) return &item;
    return nullptr;
}

class DisplayModesWin : public nvtest::PlatformTest {
  protected:
    nvtest::TempFolder folder;
    nv::Win32WidgetBackend native{m_platform};
    nv::TApplication app{m_platform.windows, native};
    nv::TGlobals globals{m_platform};
};

TEST_F(DisplayModesWin, TheListButtonShowsEveryModeWineListsAndARateItemSelectsIt) {
    nv::IDisplay& display = m_platform.display;
    nv::DisplayMode current;
    ASSERT_TRUE(display.EnumDisplaySettingsW(nv::kEnumCurrentSettings, current));
    std::vector<nv::DisplayMode> modes;
    for (nv::DisplayMode m; display.EnumDisplaySettingsW(static_cast<int>(modes.size()), m);)
        modes.push_back(m);
    ASSERT_FALSE(modes.empty());
    // A number past the list is refused and leaves the record alone.
    nv::DisplayMode untouched{7, 7, 7, 7, 7};
    EXPECT_FALSE(display.EnumDisplaySettingsW(static_cast<int>(modes.size()), untouched));
    EXPECT_EQ(untouched, (nv::DisplayMode{7, 7, 7, 7, 7}));
    EXPECT_EQ(nv::DisplayModeText(display, static_cast<int>(modes.size())), L"(not available)");
    std::int32_t currentNumber = nv::CurrentDisplayModeNumber(display);
    ASSERT_GE(currentNumber, 0);
    EXPECT_TRUE(modes[currentNumber].SameMode(current));

    globals.settingsFile = folder / L"nva.dat";
    nv::TMainForm form{m_platform, app, globals};
    app.CreateForm(form);
    form.Show();
    form.btnOptionsClick();
    form.btnDisplayClick();
    nvtest::PumpPending();
    EXPECT_EQ(form.edCurrentResolutionInfo.Text(), nv::DisplayModeText(display, currentNumber));
    EXPECT_EQ(nvtest::TextOf(nvtest::Hwnd(form.edCurrentResolutionInfo.Handle())),
              form.edCurrentResolutionInfo.Text());

    g_shown.clear();
    ::SetTimer(nullptr, 0, 100, ReadShownMenu);
    form.btnSelectResolution.Click();
    ASSERT_FALSE(g_shown.empty()) << "the menu did not drop down";
    EXPECT_EQ(g_shown.back().text, L"Current");
    std::size_t rates = 0;
    for (const NativeItem& resolution : g_shown)
        for (const NativeItem& depth : resolution.items) rates += depth.items.size();
    std::size_t listed = 0;
    for (std::size_t n = 0; n < modes.size(); ++n) {
        const nv::DisplayMode& m = modes[n];
        if (m.displayFrequency == 1) continue;
        ++listed;
        const NativeItem* resolution =
            Child(g_shown, std::to_wstring(m.pelsWidth) + L"x" + std::to_wstring(m.pelsHeight));
        ASSERT_NE(resolution, nullptr) << n;
        const NativeItem* depth =
            Child(resolution->items, std::to_wstring(m.bitsPerPel) + L" bits");
        ASSERT_NE(depth, nullptr) << n;
        EXPECT_NE(Child(depth->items, std::to_wstring(m.displayFrequency) + L" Hz"), nullptr) << n;
    }
    EXPECT_EQ(rates, listed);

    // The last rate item of the first resolution names its mode by its number.
    nv::TMenuItem& rate = *form.popMenuResolutions.items.items[0]->items.back()->items.back();
    rate.Click();
    EXPECT_EQ(form.selectedModeNumber, rate.tag);
    EXPECT_EQ(form.edResolutionInfo.Text(), nv::DisplayModeText(display, rate.tag));
    nvtest::PumpPending();
}

}  // namespace
