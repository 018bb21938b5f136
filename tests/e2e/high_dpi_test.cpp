// Nivora at 96 dpi and at 144 dpi (a display at 150 %), as a user meets it: the main window
// keeps its size rule and its button bar scaled, each control lies whole inside the window that
// holds it, beside its neighbours rather than over them, the lists' headers have room for their
// text, and the hotkey layout window and the mouse-corner dialog scale the same way. The dpi is
// the user's LogPixels, read by every program started after it is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/Driver.h"

#include <commctrl.h>

using namespace e2e;

namespace {

const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

// The screen dpi of the programs started while it lives (the user's LogPixels); the value of
// before, or its absence, comes back at the end whatever the test found.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi) {
        DWORD size = sizeof(m_saved);
        m_had = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                             nullptr, &m_saved, &size) == ERROR_SUCCESS;
        m_set = Write(dpi);
    }
    ~ScreenDpi() {
        if (m_had)
            Write(m_saved);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;
    bool Set() const { return m_set; }

private:
    static bool Write(DWORD dpi) {
        return RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi,
                               sizeof(dpi)) == ERROR_SUCCESS;
    }
    DWORD m_saved = 0;
    bool m_had = false;
    bool m_set = false;
};

RECT ScreenRectOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

RECT ClientOnScreen(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::wstring Describe(HWND window) {
    std::wostringstream s;
    RECT r = ScreenRectOf(window);
    s << ClassName(window) << L" \"" << WindowText(window) << L"\" (" << r.left << L"," << r.top
      << L")-(" << r.right << L"," << r.bottom << L")";
    return s.str();
}

std::vector<HWND> ShownChildren(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c)) out.push_back(c);
    return out;
}

// Two sibling controls that lie over each other on purpose: a label on a picture or panel of
// the program's own (the version over the header banner), and a spin edit's arrows, which sit
// on its edit's right border.
bool MeantToOverlap(HWND a, HWND b) {
    RECT ra = ScreenRectOf(a), rb = ScreenRectOf(b);
    if (Inside(ra, rb) && ClassName(b) == L"NivoraContainer") return true;
    if (Inside(rb, ra) && ClassName(a) == L"NivoraContainer") return true;
    auto buddies = [](HWND arrows, HWND edit) {
        return ClassName(arrows) == L"msctls_updown32" &&
               reinterpret_cast<HWND>(SendMessageW(arrows, UDM_GETBUDDY, 0, 0)) == edit;
    };
    return buddies(a, b) || buddies(b, a);
}

// What is wrong with the layout under a window, one line per fault: a shown control reaching
// out of its parent's client area (so its edge or border is cut off), or two shown controls of
// one parent overlapping.
void CollectLayoutFaults(HWND parent, std::vector<std::wstring>& faults) {
    const RECT client = ClientOnScreen(parent);
    const std::vector<HWND> children = ShownChildren(parent);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const RECT r = ScreenRectOf(children[i]);
        if (!Inside(r, client)) {
            std::wostringstream s;
            s << Describe(children[i]) << L" reaches out of " << ClassName(parent) << L" \""
              << WindowText(parent) << L"\" client (" << client.left << L"," << client.top
              << L")-(" << client.right << L"," << client.bottom << L")";
            faults.push_back(s.str());
        }
        for (std::size_t j = i + 1; j < children.size(); ++j) {
            RECT other = ScreenRectOf(children[j]), both;
            if (IntersectRect(&both, &r, &other) && !MeantToOverlap(children[i], children[j]))
                faults.push_back(Describe(children[i]) + L" overlaps " + Describe(children[j]));
        }
        CollectLayoutFaults(children[i], faults);
    }
}

std::wstring LayoutFaults(HWND window) {
    std::vector<std::wstring> faults;
    CollectLayoutFaults(window, faults);
    std::wstring all;
    for (const std::wstring& f : faults) all += f + L"\n";
    return all;
}

// The height of a line of the user-interface font, Tahoma 8 pt, at a dpi.
int TextLineHeight(int dpi) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight;
}

POINT Centre(HWND window) {
    RECT r = ScreenRectOf(window);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Each test runs Nivora at the dpi of its parameter.
class AtDpi : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(dpi.Set());
        MakeEmptyDataFolder();
    }
    void TearDown() override { nivora.Kill(); }

    int px(int value) const { return MulDiv(value, GetParam(), 96); }
    void StartNivora() {
        ASSERT_TRUE(Start(nivora, L"Nivora.exe"));
        ASSERT_TRUE(WaitFor([&] { return IsShown(main = FindMainWindow(nivora.Pid())); }));
        ASSERT_TRUE(Answers(main));
    }
    // Presses a page button and waits until a control of that page shows.
    void ShowPage(const wchar_t* button, const wchar_t* control) {
        ASSERT_TRUE(PressButton(main, button)) << button;
        HWND shown = FindChildByText(main, control);
        ASSERT_TRUE(WaitFor([&] { return IsShown(shown); })) << control;
        ASSERT_TRUE(Answers(main));
    }

    ScreenDpi dpi{static_cast<DWORD>(GetParam())};  // first made, last undone: after Nivora
    Process nivora;
    HWND main = nullptr;
};

std::string DpiName(const testing::TestParamInfo<int>& info) {
    return std::to_string(info.param) + "dpi";
}

using MainWindowAtDpi = AtDpi;
using PagesAtDpi = AtDpi;
using DialogsAtDpi = AtDpi;

TEST_P(MainWindowAtDpi, KeepsItsSizeRuleButtonBarAndListHeaders) {
    StartNivora();

    // A client area of 634 x 341 scaled, unless the frame is so thin that the window would be
    // smaller than its minimum of 650 x 380 scaled (as Wine draws it): then that minimum.
    RECT client, outer;
    GetClientRect(main, &client);
    GetWindowRect(main, &outer);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    EXPECT_EQ(outer.right - outer.left, std::max(px(634) + frameWidth, px(650)));
    EXPECT_EQ(outer.bottom - outer.top, std::max(px(341) + frameHeight, px(380)));

    // The button bar under the 30-pixel header, 29 pixels high.
    for (const wchar_t* caption : {L"&Windows", L"&Extra Settings", L"&About", L"Hel&p", L"&Hide",
                                   L"&Terminate"}) {
        HWND button = FindChildByText(main, caption);
        ASSERT_NE(button, nullptr) << caption;
        RECT r = ScreenRectOf(button);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.top, px(30)) << caption;
        EXPECT_EQ(r.bottom, px(59)) << caption;
    }

    // The three lists' headers are high enough for a line of their text.
    const int line = TextLineHeight(GetParam());
    for (int n = 0; n < 3; ++n) {
        HWND list = FindChildByClass(main, L"SysListView32", n);
        ASSERT_NE(list, nullptr) << n;
        HWND header = FindChildByClass(list, L"SysHeader32");
        ASSERT_NE(header, nullptr) << n;
        RECT r = ScreenRectOf(header);
        EXPECT_GE(r.bottom - r.top, line + 2) << "list " << n;
    }
}

TEST_P(PagesAtDpi, EveryPageFitsInTheWindowWithNothingOverlapping) {
    StartNivora();
    struct Page {
        const wchar_t* button;
        const wchar_t* control;
    };
    // The About page shows the version the executable's version resource carries.
    const std::wstring version = L"Version " + ProductVersion(BinDir() + L"\\Nivora.exe");
    ASSERT_NE(version, L"Version ");
    for (const Page& page : {Page{L"&Windows", L"Refresh List"},
                             Page{L"&Extra Settings", L"Hide wallpaper"},
                             Page{L"Shortcuts", L"Ctrl+F12"},
                             Page{L"Sound", L"Refresh current volume indicator"},
                             Page{L"Display", L"Test selected resolution"},
                             Page{L"&About", version.c_str()}}) {
        SCOPED_TRACE(testing::Message() << "page " << testing::PrintToString(page.button));
        ShowPage(page.button, page.control);
        EXPECT_EQ(LayoutFaults(main), L"");
    }
}

TEST_P(DialogsAtDpi, TheLayoutWindowAndTheMouseCornerDialogScaleAndFit) {
    StartNivora();
    ShowPage(L"&Extra Settings", L"Show Hotkeys Layout");

    // The hotkey layout window: 483 x 325 scaled, centred over the main window.
    ASSERT_TRUE(PressButton(main, L"Show Hotkeys Layout"));
    HWND layout = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w : TopWindows(nivora.Pid()))
            if (ClassName(w) == L"TFormKeyboardLayour" && IsShown(w)) layout = w;
        return layout != nullptr;
    }));
    RECT client;
    GetClientRect(layout, &client);
    EXPECT_EQ(client.right, px(483));
    EXPECT_EQ(client.bottom, px(325));
    POINT a = Centre(layout), b = Centre(main);
    EXPECT_LE(std::abs(a.x - b.x), 1);
    EXPECT_LE(std::abs(a.y - b.y), 1);
    EXPECT_EQ(LayoutFaults(layout), L"");
    ASSERT_TRUE(PressButton(layout, L"Close"));
    ASSERT_TRUE(WaitFor([&] { return !IsShown(layout); }));

    // The mouse-corner dialog, from the mouse button beside the hide hotkey's box.
    ShowPage(L"Shortcuts", L"Ctrl+`");
    HWND mouseButton = FindChildByClass(GetParent(FindChildByText(main, L"Ctrl+`")), L"Button");
    ASSERT_NE(mouseButton, nullptr);
    PostMessageW(mouseButton, BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] { return IsShown(dialog = FindWindowOf(nivora.Pid(), L"Mouse Shortcut")); }));
    ASSERT_TRUE(Answers(dialog));
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, px(218));
    EXPECT_EQ(client.bottom, px(204));
    EXPECT_EQ(LayoutFaults(dialog), L"");
    ASSERT_TRUE(PressButton(dialog, L"Cancel"));
    EXPECT_TRUE(WaitFor([&] { return !IsShown(dialog); }));
}

INSTANTIATE_TEST_SUITE_P(HighDpi, MainWindowAtDpi, testing::Values(96, 144), DpiName);
INSTANTIATE_TEST_SUITE_P(HighDpi, PagesAtDpi, testing::Values(96, 144), DpiName);
INSTANTIATE_TEST_SUITE_P(HighDpi, DialogsAtDpi, testing::Values(96, 144), DpiName);

}  // namespace
