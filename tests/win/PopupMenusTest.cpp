// The owner-drawn popup menus against live Wine: the native menu made for a model, the measures
// and drawing its owner window answers with, the letter keys, and a shown menu driven by keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "LiveApplication.h"
#include "WidgetTestSupport.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "widgets/Application.h"
#include "widgets/MenuPictures.h"
#include "widgets/win32/Peers.h"
#include "widgets/win32/Pictures.h"
#include "widgets/win32/PopupMenus.h"
#include "widgets/win32/Win32Backend.h"

namespace nv::win32 {
namespace {

using nvtest::Hwnd;
using nvtest::PumpPending;

class OwnerForm : public TForm {
public:
    OwnerForm() : TForm("OwnerForm") {
        SetCaption(L"Owner");
        SetClientSize(300, 200);
    }
};

// A drawn item: its pixels, read back from a 32-bit bitmap.
struct Drawn {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    bool clippedAfter = false;  // nothing drawn on the item after it
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Any(int left, int right, const std::function<bool(COLORREF)>& test) const {
        for (int y = 0; y < height; ++y)
            for (int x = left; x < right; ++x)
                if (test(At(x, y))) return true;
        return false;
    }
    // The colour most pixels have.
    COLORREF Commonest() const {
        std::map<COLORREF, int> counts;
        for (COLORREF c : pixels) ++counts[c];
        return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                   return a.second < b.second;
               })->first;
    }
    // The spans of columns where something other than the background is drawn, left to right;
    // gaps narrower than a few pixels (between words) do not part them.
    std::vector<std::pair<int, int>> Ink(COLORREF background) const {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < width; ++x) {
            bool inked = false;
            for (int y = 0; y < height && !inked; ++y) inked = At(x, y) != background;
            if (!inked) continue;
            if (!runs.empty() && x - runs.back().second <= 6)
                runs.back().second = x + 1;
            else
                runs.push_back({x, x + 1});
        }
        return runs;
    }
    // The darkest a span gets: the sum of the colour channels of its darkest pixel.
    int Darkest(std::pair<int, int> span) const {
        int darkest = 3 * 255;
        for (int y = 0; y < height; ++y)
            for (int x = span.first; x < span.second; ++x) {
                COLORREF c = At(x, y);
                darkest = std::min(darkest, GetRValue(c) + GetGValue(c) + GetBValue(c));
            }
        return darkest;
    }
};

bool Dark(COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }
int Lightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

class PopupMenus : public ::testing::Test, protected nvtest::LiveApplication {
protected:
    void SetUp() override {
        ASSERT_EQ(SystemDpi(), 96) << "the tests run at 96 dpi";
        app.CreateForm(form);
        form.Show();
        PumpPending();
        owner = Hwnd(form.Handle());
        // 0 "&Open list" F5, 1 separator, 2 "&Disabled", 3 "&More" > "&Deep", 4 "Sh&ow && tell";
        // the hidden item is left out.
        open = &menu.items.Add("open", L"&Open list");
        open->shortCut = L"F5";
        open->imageIndex = kPicAddToList;
        menu.items.Add("hidden", L"&Hidden").visible = false;
        menu.items.Add("N1", L"-");
        off = &menu.items.Add("off", L"&Disabled");
        off->enabled = false;
        off->imageIndex = kPicAddToList;
        more = &menu.items.Add("more", L"&More");
        deep = &more->Add("deep", L"&Deep");
        show = &menu.items.Add("show", L"Sh&ow && tell");
        for (TMenuItem* item : {open, off, deep, show})
            item->OnClick = [this, item] { clicked.push_back(item->name); };
    }
    void TearDown() override { PumpPending(); }

    static MENUITEMINFOW Info(HMENU menu, int position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
        EXPECT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
        return info;
    }
    // The size the owner window answers for an item.
    SIZE Measured(HMENU menu, int position) {
        MENUITEMINFOW info = Info(menu, position);
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, info.wID, 0, 0, info.dwItemData};
        ::SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        return {static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
    }
    // The item as the owner window draws it into a bitmap of the given size.
    Drawn Draw(HMENU menu, int position, UINT state, int width = 200, int height = 22) {
        MENUITEMINFOW info = Info(menu, position);
        BITMAPINFO bits{};
        bits.bmiHeader.biSize = sizeof(bits.bmiHeader);
        bits.bmiHeader.biWidth = width;
        bits.bmiHeader.biHeight = -height;  // top-down
        bits.bmiHeader.biPlanes = 1;
        bits.bmiHeader.biBitCount = 32;
        void* data = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(nullptr, &bits, DIB_RGB_COLORS, &data, nullptr, 0);
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = info.wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(menu);
        draw.hDC = dc;
        draw.rcItem = {0, 0, width, height};
        draw.itemData = info.dwItemData;
        EXPECT_EQ(::SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), TRUE);
        ::GdiFlush();
        Drawn out{width, height, {}};
        RECT box{};
        out.clippedAfter = ::GetClipBox(dc, &box) == NULLREGION;
        for (int i = 0; i < width * height; ++i) {
            const BYTE* p = static_cast<const BYTE*>(data) + i * 4;
            out.pixels.push_back(RGB(p[2], p[1], p[0]));
        }
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(bitmap);
        return out;
    }
    LRESULT MenuChar(HMENU menu, wchar_t key) {
        return ::SendMessageW(owner, WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP),
                              reinterpret_cast<LPARAM>(menu));
    }
    static void Hilite(HMENU menu, int position, bool on) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STATE;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        info.fState = on ? (info.fState | MFS_HILITE) : (info.fState & ~MFS_HILITE);
        ::SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    }

    OwnerForm form;
    HWND owner = nullptr;
    TPopupMenu menu{"menu"};
    TMenuItem *open = nullptr, *off = nullptr, *more = nullptr, *deep = nullptr, *show = nullptr;
    std::vector<std::string> clicked;
};

TEST_F(PopupMenus, TheModelBecomesOwnerDrawnItemsWithSeparatorsGreyItemsAndSubMenus) {
    NativeMenu native(menu.items, 96);
    HMENU top = native.Handle();
    ASSERT_EQ(::GetMenuItemCount(top), 5) << "the hidden item is left out";
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Info(top, i).fType & MFT_OWNERDRAW) << i;
    EXPECT_TRUE(Info(top, 1).fType & MFT_SEPARATOR);
    EXPECT_FALSE(Info(top, 0).fType & MFT_SEPARATOR);
    EXPECT_TRUE(Info(top, 2).fState & MFS_GRAYED);
    EXPECT_FALSE(Info(top, 0).fState & MFS_GRAYED);
    // The text screen readers read, as a plain menu has it.
    wchar_t text[64] = {};
    ::GetMenuStringW(top, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Open list\tF5");

    HMENU sub = Info(top, 3).hSubMenu;
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(::GetMenuItemCount(sub), 1);
    EXPECT_TRUE(Info(sub, 0).fType & MFT_OWNERDRAW);
    // Each command id leads back to its model item; nothing else does.
    EXPECT_EQ(native.Command(Info(top, 0).wID), open);
    EXPECT_EQ(native.Command(Info(top, 4).wID), show);
    EXPECT_EQ(native.Command(Info(sub, 0).wID), deep);
    EXPECT_EQ(native.Command(0), nullptr);
    EXPECT_EQ(native.Command(1000), nullptr);
}

TEST_F(PopupMenus, AnItemIsMeasuredToItsCaptionWithRoomForItsShortcutAndPicture) {
    TPopupMenu sizes{"sizes"};
    sizes.items.Add("short", L"Ab");
    sizes.items.Add("long", L"Ab with a caption three times as long");
    sizes.items.Add("keyed", L"Ab").shortCut = L"Ctrl+F12";
    sizes.items.Add("marked", L"&Ab");
    sizes.items.Add("N1", L"-");
    NativeMenu native(sizes.items, 96);
    HMENU top = native.Handle();
    SIZE plain = Measured(top, 0), wide = Measured(top, 1), keyed = Measured(top, 2);

    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, FontFor(96, false));
    SIZE shortcut{}, caption{};
    ::GetTextExtentPoint32W(dc, L"Ctrl+F12", 8, &shortcut);
    ::GetTextExtentPoint32W(dc, L"Ab", 2, &caption);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);

    EXPECT_GE(plain.cx, 16 + caption.cx) << "the picture column and the caption";
    EXPECT_GT(wide.cx, plain.cx + 100);
    EXPECT_GE(keyed.cx, plain.cx + shortcut.cx + 8) << "the shortcut with a gap before it";
    EXPECT_EQ(Measured(top, 3).cx, plain.cx) << "the & is not drawn";
    EXPECT_GE(plain.cy, 16 + 4) << "a picture with room around it";
    EXPECT_EQ(wide.cy, plain.cy);
    SIZE separator = Measured(top, 4);
    EXPECT_GT(separator.cy, 0);
    EXPECT_LT(separator.cy, plain.cy / 2);

    // On a monitor of 144 dpi (the owner window's) everything is half as large again.
    NativeMenu large(sizes.items, 144);
    EXPECT_GE(Measured(large.Handle(), 0).cy, plain.cy * 3 / 2);
    EXPECT_GE(Measured(large.Handle(), 1).cx, wide.cx * 4 / 3);

    // An owner-drawn item the program did not make is not answered for.
    MEASUREITEMSTRUCT stranger{ODT_MENU, 0, 1, 0, 0, reinterpret_cast<ULONG_PTR>(&caption)};
    ::SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&stranger));
    EXPECT_EQ(stranger.itemWidth, 0u);
}

TEST_F(PopupMenus, AnItemIsDrawnWithItsPictureCaptionSelectionAndGreyWhenDisabled) {
    NativeMenu native(menu.items, 96);
    HMENU top = native.Handle();
    const COLORREF back = ::GetSysColor(COLOR_MENU);

    // The picture, the caption and the shortcut, from left to right, each where it is alone.
    Drawn normal = Draw(top, 0, 0);
    std::vector<std::pair<int, int>> ink = normal.Ink(back);
    ASSERT_EQ(ink.size(), 3u) << "picture, caption, shortcut";
    const auto picture = ink[0], caption = ink[1], shortcut = ink[2];
    EXPECT_LT(picture.second - picture.first, 20) << "a 16-pixel picture";
    EXPECT_GT(shortcut.first, normal.width / 2) << "the shortcut at the right";
    EXPECT_TRUE(normal.Any(caption.first, caption.second, Dark)) << "a dark caption";
    EXPECT_TRUE(normal.Any(shortcut.first, shortcut.second, Dark));
    EXPECT_EQ(normal.Commonest(), back);

    // Selected: a light tint fills the item, inside a frame darker than the tint; the caption
    // stays dark on it.
    Drawn selected = Draw(top, 0, ODS_SELECTED);
    const COLORREF fill = selected.Commonest();
    EXPECT_NE(fill, back);
    EXPECT_GT(Lightness(fill), 3 * 200) << "a light one";
    const int middle = selected.height / 2;
    int x = 0;
    while (x < selected.width && selected.At(x, middle) == back) ++x;
    ASSERT_LT(x, selected.width);
    EXPECT_LT(Lightness(selected.At(x, middle)), Lightness(fill)) << "its frame";
    EXPECT_TRUE(selected.Any(caption.first, caption.second, Dark)) << "the caption on it";

    // Disabled: the picture faded, the caption grey, neither gone.
    Drawn grey = Draw(top, 2, ODS_GRAYED | ODS_DISABLED);
    EXPECT_TRUE(grey.Any(picture.first, picture.second, [&](COLORREF c) { return c != back; }));
    EXPECT_GT(grey.Darkest(picture), normal.Darkest(picture)) << "faded";
    std::vector<std::pair<int, int>> greyInk = grey.Ink(back);
    ASSERT_GE(greyInk.size(), 2u);
    EXPECT_FALSE(grey.Any(greyInk[1].first, greyInk[1].second, Dark));

    // A sub-menu's item has its arrow at the right, and keeps Windows from drawing another
    // over it.
    Drawn parent = Draw(top, 3, 0);
    std::vector<std::pair<int, int>> parentInk = parent.Ink(back);
    ASSERT_EQ(parentInk.size(), 2u) << "caption, arrow";
    EXPECT_GT(parentInk[1].first, parent.width * 3 / 4);
    EXPECT_TRUE(parent.Any(parentInk[1].first, parentInk[1].second, Dark));
    EXPECT_TRUE(parent.clippedAfter);
    EXPECT_TRUE(Draw(top, 3, ODS_SELECTED).clippedAfter);
    EXPECT_FALSE(selected.clippedAfter);

    // The separator is a thin line across the middle.
    Drawn line = Draw(top, 1, 0, 200, 7);
    int lines = 0;
    for (int y = 0; y < line.height; ++y) {
        int drawn = 0;
        for (int x2 = 0; x2 < line.width; ++x2) drawn += line.At(x2, y) != back;
        if (drawn > line.width / 2) ++lines;
        if (y == 0 || y == line.height - 1) {
            EXPECT_EQ(drawn, 0) << y;
        }
    }
    EXPECT_GE(lines, 1);
    EXPECT_LE(lines, 2);

    // The mnemonic's underline shows only with keyboard cues on.
    Drawn cues = Draw(top, 0, 0), noCues = Draw(top, 0, ODS_NOACCEL);
    EXPECT_NE(cues.pixels, noCues.pixels);
}

TEST_F(PopupMenus, InHighContrastTheSelectionTakesTheSystemsHighlightColours) {
    ForceHighContrast(1);  // Wine cannot turn the real one on
    NativeMenu native(menu.items, 96);
    Drawn selected = Draw(native.Handle(), 0, ODS_SELECTED);
    Drawn plain = Draw(native.Handle(), 0, 0);
    Drawn line = Draw(native.Handle(), 1, 0, 200, 7);
    ForceHighContrast(-1);

    const COLORREF back = ::GetSysColor(COLOR_MENU), highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    std::vector<std::pair<int, int>> ink = plain.Ink(back);
    ASSERT_EQ(ink.size(), 3u) << "picture, caption, shortcut";
    EXPECT_EQ(selected.Commonest(), highlight);
    int x = 0;
    while (x < selected.width && selected.At(x, selected.height / 2) == back) ++x;
    ASSERT_LT(x, selected.width);
    EXPECT_EQ(selected.At(x, selected.height / 2), highlight) << "no accent frame";
    EXPECT_TRUE(selected.Any(ink[1].first, ink[1].second, [](COLORREF c) {
        return c == ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    })) << "the caption";
    EXPECT_TRUE(
        line.Any(0, line.width, [](COLORREF c) { return c == ::GetSysColor(COLOR_MENUTEXT); }));
}

TEST_F(PopupMenus, ALetterKeyRunsTheItemOfItsMnemonicOrSelectsAmongSeveral) {
    NativeMenu native(menu.items, 96);
    HMENU top = native.Handle();
    HMENU sub = Info(top, 3).hSubMenu;
    EXPECT_EQ(MenuChar(top, L'm'), MAKELRESULT(3, MNC_EXECUTE)) << "opens the sub-menu";
    EXPECT_EQ(MenuChar(top, L'M'), MAKELRESULT(3, MNC_EXECUTE));
    EXPECT_EQ(MenuChar(sub, L'd'), MAKELRESULT(0, MNC_EXECUTE)) << "each menu its own letters";
    // A disabled item is only selected, never run.
    EXPECT_EQ(MenuChar(top, L'd'), MAKELRESULT(2, MNC_SELECT));
    // Two items share "o": each press selects the next.
    EXPECT_EQ(MenuChar(top, L'o'), MAKELRESULT(0, MNC_SELECT));
    Hilite(top, 0, true);
    EXPECT_EQ(MenuChar(top, L'o'), MAKELRESULT(4, MNC_SELECT));
    Hilite(top, 0, false);
    Hilite(top, 4, true);
    EXPECT_EQ(MenuChar(top, L'O'), MAKELRESULT(0, MNC_SELECT));
    // No item has these ("&&" is a plain "&").
    EXPECT_EQ(HIWORD(MenuChar(top, L'x')), MNC_IGNORE);
    EXPECT_EQ(HIWORD(MenuChar(top, L'&')), MNC_IGNORE);
    EXPECT_EQ(HIWORD(MenuChar(top, L't')), MNC_IGNORE);
}

// Drives the shown menu from a timer of this thread, which the menu's own loop dispatches: each
// message is posted once a menu is showing; a check runs when its turn comes, again at each tick
// for up to 3 s until it holds (the screen can lag behind the menu's drawing). A menu still
// showing a second after the last step (or 20 s after the start) gets Escape until it closes, so
// a fault cannot leave the test waiting.
class MenuScript {
public:
    struct Step {
        UINT message = 0;
        WPARAM key = 0;
        std::function<bool(HWND menuWindow)> check;
    };
    MenuScript(HWND owner, std::vector<Step> steps) : m_owner(owner), m_steps(std::move(steps)) {
        s_current = this;
        m_start = m_done = ::GetTickCount();
        m_timer = ::SetTimer(nullptr, 0, 40, &MenuScript::Tick);
    }
    ~MenuScript() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool Finished() const { return m_next == m_steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_current) s_current->Run();
    }
    void Run() {
        HWND shown = ::FindWindowW(L"#32768", nullptr);
        if (!shown || !::IsWindowVisible(shown)) return;
        DWORD now = ::GetTickCount();
        if (now - m_start > 20000 || (Finished() && now - m_done > 1000)) {
            ::PostMessageW(m_owner, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        if (Finished()) return;
        Step& step = m_steps[m_next];
        if (step.check && !step.check(shown) && now - m_done < 3000) return;
        ++m_next;
        if (step.message) ::PostMessageW(m_owner, step.message, step.key, 0);
        m_done = now;
    }

    static inline MenuScript* s_current = nullptr;
    HWND m_owner;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_start = 0, m_done = 0;
    UINT_PTR m_timer = 0;
};

TEST_F(PopupMenus, TheShownMenuAnswersArrowsEnterEscapeAndLetters) {
    auto run = [&](std::vector<MenuScript::Step> steps) {
        clicked.clear();
        MenuScript script(owner, std::move(steps));
        TrackMenu(menu, 40, 40);
        EXPECT_TRUE(script.Finished());
        PumpPending();
        return clicked;
    };
    auto key = [](WPARAM vk) { return MenuScript::Step{WM_KEYDOWN, vk, nullptr}; };
    auto letter = [](wchar_t c) { return MenuScript::Step{WM_CHAR, c, nullptr}; };
    int shownAlike = 0, shownAll = 1;
    auto look = [&](HWND menuWindow) -> bool {
        // The first item is selected: the screen shows what the owner draws for it selected.
        auto shown = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        RECT item{};
        EXPECT_TRUE(::GetMenuItemRect(nullptr, shown, 0, &item));
        const int width = item.right - item.left, height = item.bottom - item.top;
        Drawn drawn = Draw(shown, 0, ODS_SELECTED, width, height);
        HDC screen = ::GetDC(nullptr);
        shownAlike = 0;
        shownAll = width * height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                shownAlike += ::GetPixel(screen, item.left + x, item.top + y) == drawn.At(x, y);
        ::ReleaseDC(nullptr, screen);
        return shownAlike >= shownAll * 9 / 10;
    };
    EXPECT_EQ(run({key(VK_DOWN), MenuScript::Step{0, 0, look}, key(VK_RETURN)}),
              std::vector<std::string>{"open"});
    EXPECT_GE(shownAlike, shownAll * 9 / 10) << shownAlike << " of " << shownAll;

    // Down past the separator to the disabled item: Enter runs nothing there.
    EXPECT_EQ(run({key(VK_DOWN), key(VK_DOWN), key(VK_RETURN)}), std::vector<std::string>{});
    // Letters: "m" opens the sub-menu, "d" there runs "&Deep".
    EXPECT_EQ(run({letter(L'm'), letter(L'd')}), std::vector<std::string>{"deep"});
    // A letter no item has leaves the menu open; Escape closes it without a choice.
    EXPECT_EQ(run({letter(L'x'), key(VK_ESCAPE)}), std::vector<std::string>{});
}

TEST(MenuPictures, EveryImageIndexHasAPictureOfItsOwnAtEachSize) {
    std::set<int> ids;
    const std::set<int> known(std::begin(kPictureIds), std::end(kPictureIds));
    for (int index = 0; index < kMenuPictureCount; ++index) {
        SCOPED_TRACE(index);
        int id = MenuPictureId(index);
        EXPECT_TRUE(known.count(id)) << "checked with every picture";
        EXPECT_TRUE(ids.insert(id).second) << "one picture per meaning";
        Picture picture;
        ASSERT_TRUE(DecodePicture(id, picture));
        EXPECT_EQ(picture.width, 16);
        EXPECT_EQ(picture.height, 16);
        ::DeleteObject(picture.bitmap);
    }
    EXPECT_EQ(MenuPictureId(-1), 0) << "no picture";
    EXPECT_EQ(MenuPictureId(kMenuPictureCount), 0);
}

}  // namespace
}  // namespace nv::win32
