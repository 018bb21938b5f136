// The mouse corner shortcuts, their dialog, the screen saver and the lock, against the
// in-memory desktop (1280 x 1024).
#include <gtest/gtest.h>

#include "support/Harness.h"
#include "triggers/MouseShortcutForm.h"

namespace nv::test {
namespace {

struct CornerHarness : Harness {
    CornerHarness() {
        Start();
        // The pointer rests in the bottom right corner.
        desktop.cursor = {1279, 1023};
        helper = desktop.AddWindow(L"Helper", L"HelperClass", 77);
    }
    // A tick of MouseTimer at the given tick count.
    void TickAt(std::uint32_t ms) {
        desktop.tickCount = ms;
        User([&] { Form().MouseTimer.Tick(); });
    }
    TMouseShortcutInfo& HideCorner() { return Globals().hideCornerShortcut; }
    TMouseShortcutInfo& SaverCorner() { return Globals().screenSaverCornerShortcut; }
    void TurnOn(TSpeedButton& button, TMouseShortcutInfo& s, std::uint8_t corner,
                std::int32_t hover = 500, std::int32_t zone = 20) {
        s.Corner = corner;
        s.HoverInterval = hover;
        s.ZoneSize = zone;
        button.SetDown(true);
    }
    bool HelperShown() { return desktop.IsWindowVisible(helper); }
    WindowHandle helper = 0;
};

TEST(MouseCorners, PointInCornerHoldsEachZoneHalfOpen) {
    FakeDesktop d;
    struct Case {
        std::uint8_t corner;
        int x, y;
        bool inside;
    };
    for (const Case& c : {Case{0, 0, 0, true}, Case{0, 19, 19, true}, Case{0, 20, 0, false},
                          Case{1, 1260, 0, true}, Case{1, 1259, 0, false}, Case{1, 1280, 0, false},
                          Case{2, 0, 1004, true}, Case{2, 0, 1003, false},
                          Case{3, 1279, 1023, true}, Case{3, 1260, 1004, true},
                          Case{3, 1280, 1023, false}, Case{4, 0, 0, false},
                          Case{255, 1279, 1023, false}})
        EXPECT_EQ(PointInCorner(d, c.corner, 20, c.x, c.y), c.inside)
            << int(c.corner) << " " << c.x << "," << c.y;
    // A zone of 0 pixels holds no point.
    EXPECT_FALSE(PointInCorner(d, 0, 0, 0, 0));
    EXPECT_FALSE(PointInCorner(d, 3, 0, 1279, 1023));
}

// Each monitor has its own corners, with the zone as large to the eye at its dpi: a second
// monitor at 150 %, right of the primary one and reaching higher.
TEST(MouseCorners, EachMonitorHasItsCornersWithTheZoneScaledToItsDpi) {
    FakeDesktop d;
    d.monitors = {{{0, 0, 1920, 1080}, 96}, {{1920, -360, 4480, 1080}, 144}};
    struct Case {
        std::uint8_t corner;
        int x, y;
        bool inside;
    };
    for (const Case& c : {Case{1, 1919, 0, true}, Case{1, 1920, 0, false},  // the next monitor
                          Case{0, 1920, -360, true}, Case{1, 4479, -360, true},
                          Case{1, 4450, -331, true}, Case{1, 4449, -360, false},
                          Case{1, 4450, -330, false}, Case{2, 1920, 1079, true},
                          Case{3, 4479, 1079, true}, Case{3, 1919, 1079, true},
                          Case{3, 4479, 1049, false}})
        EXPECT_EQ(PointInCorner(d, c.corner, 20, c.x, c.y), c.inside)
            << int(c.corner) << " " << c.x << "," << c.y;
}

TEST(MouseCorners, CheckHoverTimesTheRestAcrossTheWrapOfTheTickCount) {
    FakeDesktop d;
    TMouseShortcutInfo s(20, 500, 0);
    auto at = [&](std::uint32_t ms, int x = 5) {
        d.tickCount = ms;
        return s.CheckHover(d, d, x, 5);
    };
    EXPECT_FALSE(at(10000));  // the hover starts
    EXPECT_EQ(s.HoverStart, 10000u);
    EXPECT_FALSE(at(10499));
    EXPECT_TRUE(at(10500));
    EXPECT_TRUE(at(11000));  // stays due until the caller clears it
    EXPECT_FALSE(at(11500, 500));  // outside: idle again
    EXPECT_EQ(s.HoverStart, 0u);

    // Started 300 ms before the counter wraps, due 200 ms after it.
    EXPECT_FALSE(at(0xFFFFFFFFu - 299));
    EXPECT_FALSE(at(100));
    EXPECT_TRUE(at(200));

    // Hover time 0 fires on the first tick in the zone; a negative one as well.
    s.HoverStart = 0;
    s.HoverInterval = 0;
    EXPECT_TRUE(at(5000));
    s.HoverStart = 0;
    s.HoverInterval = -1;
    EXPECT_TRUE(at(6000));
    // A huge one is never reached within the counter's range.
    s.HoverStart = 0;
    s.HoverInterval = 0x7FFFFFFF;
    EXPECT_FALSE(at(1));
    EXPECT_FALSE(at(0x7FFFFFFF));
}

TEST(MouseCorners, TheHideCornerFiresOnceAndStaysDueWhileHidden) {
    CornerHarness h;
    TMainForm& f = h.Form();
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3);
    h.TickAt(10000);
    EXPECT_TRUE(h.HelperShown());
    h.TickAt(10500);  // 500 ms on: hidden
    EXPECT_FALSE(h.HelperShown());
    EXPECT_TRUE(f.IsHiddenMode());
    EXPECT_EQ(h.HideCorner().HoverStart, 0u);

    // Nothing more happens while hidden; the hover becomes due and stays so.
    h.TickAt(11000);
    h.TickAt(11500);
    h.TickAt(12000);
    EXPECT_TRUE(f.IsHiddenMode());
    EXPECT_EQ(h.HideCorner().HoverStart, 11000u);

    // Restored with the hotkey while the pointer is still there: the next tick hides at once.
    h.User([&] { f.HotKey(0); });
    EXPECT_TRUE(h.HelperShown());
    h.TickAt(12500);
    EXPECT_FALSE(h.HelperShown());
    EXPECT_TRUE(f.IsHiddenMode());
}

TEST(MouseCorners, NothingFiresBeforeStartUpEndsOrWhileLockedOrWithTheButtonUp) {
    CornerHarness h;
    TMainForm& f = h.Form();
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3, 0);

    h.Globals().ready = false;
    h.TickAt(10000);
    EXPECT_TRUE(h.HelperShown());
    EXPECT_EQ(h.HideCorner().HoverStart, 0u);
    h.Globals().ready = true;

    h.desktop.workstationLocked = true;
    h.TickAt(10500);
    EXPECT_TRUE(h.HelperShown());
    EXPECT_EQ(h.HideCorner().HoverStart, 0u);  // a locked tick leaves the state alone
    h.desktop.workstationLocked = false;

    f.btnMouseWinCtrl.SetDown(false);
    h.TickAt(11000);
    EXPECT_TRUE(h.HelperShown());
}

// The lock is known without switching desktops (the platform offers no switch): from the
// session's lock and unlock, which the main window asks for, and from the name of the desktop
// that has the input.
TEST(MouseCorners, TheLockIsKnownFromTheSessionAndTheInputDesktop) {
    CornerHarness h;
    TMainForm& f = h.Form();
    EXPECT_EQ(h.desktop.sessionNotified, std::set<WindowHandle>{f.Handle()});
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3, 0);

    // Locked, by the session's word: the input desktop has not been looked at yet.
    h.User([&] { f.SessionChange(kWtsSessionLock); });
    h.TickAt(10000);
    EXPECT_TRUE(h.HelperShown());
    h.User([&] { f.SessionChange(kWtsSessionUnlock); });
    // A password manager's secure desktop has the input.
    h.desktop.inputDesktop = L"SecureDesktop";
    h.TickAt(10500);
    EXPECT_TRUE(h.HelperShown());
    h.desktop.inputDesktop = L"default";
    h.TickAt(11000);
    EXPECT_FALSE(h.HelperShown());

    h.Finish();
    EXPECT_TRUE(h.desktop.sessionNotified.empty());
}

TEST(MouseCorners, ZoneZeroAndAnUnknownCornerNeverFire) {
    CornerHarness h;
    TMainForm& f = h.Form();
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3, 0, 0);
    for (std::uint32_t t = 10000; t < 13000; t += 500) h.TickAt(t);
    EXPECT_TRUE(h.HelperShown());
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 7, 0, 200);
    h.desktop.cursor = {0, 0};  // where a missing zone would most likely be taken to be
    for (std::uint32_t t = 13000; t < 15000; t += 500) h.TickAt(t);
    EXPECT_TRUE(h.HelperShown());
}

TEST(MouseCorners, BothOnOneCornerHideFirstThenTheScreenSaver) {
    CornerHarness h;
    TMainForm& f = h.Form();
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3);
    h.TurnOn(f.btnMouseSSaverCtrl, h.SaverCorner(), 3);
    f.cbLockWorkstation.SetChecked(false);
    h.desktop.onMessageBox = nullptr;
    h.TickAt(10000);
    std::size_t postsBefore = h.desktop.posted.size();
    // The saver's post must come after the windows went: record what was visible at the post.
    h.TickAt(10500);
    EXPECT_FALSE(h.HelperShown());
    EXPECT_EQ(h.desktop.lockAndSaver, std::vector<std::string>{"ScreenSave"});
    ASSERT_GT(h.desktop.posted.size(), postsBefore);
    EXPECT_EQ(h.desktop.posted.back().window, h.desktop.desktopWindow);
    EXPECT_EQ(h.desktop.posted.back().msg, kWmSysCommand);
    EXPECT_EQ(h.desktop.posted.back().wParam, kScScreenSave);
    EXPECT_EQ(h.SaverCorner().HoverStart, 0u);
    // The screen saver goes on firing every hover time while the pointer stays, hidden or not.
    h.TickAt(11000);
    h.TickAt(11500);
    EXPECT_EQ(h.desktop.lockAndSaver.size(), 2u);
}

TEST(MouseCorners, TheHideRunsBeforeTheScreenSaverInOneTick) {
    CornerHarness h;
    TMainForm& f = h.Form();
    h.TurnOn(f.btnMouseWinCtrl, h.HideCorner(), 3, 0);
    h.TurnOn(f.btnMouseSSaverCtrl, h.SaverCorner(), 3, 0);
    f.cbLockWorkstation.SetChecked(false);
    bool helperShownAtSaver = true;
    // The post is the last thing of the tick; when it is made the helper must already be gone.
    h.desktop.posted.clear();
    h.TickAt(10000);
    for (const PostedMessage& m : h.desktop.posted)
        if (m.window == h.desktop.desktopWindow) helperShownAtSaver = h.HelperShown();
    EXPECT_FALSE(helperShownAtSaver);
    EXPECT_EQ(h.desktop.lockAndSaver.size(), 1u);
}

TEST(ScreenSaver, LocksFirstWhenAskedThenPostsTheCommandInOneCall) {
    CornerHarness h;
    TMainForm& f = h.Form();
    EXPECT_EQ(h.desktop.librariesLoaded, 1);
    EXPECT_EQ(h.desktop.librariesFreed, 0);  // user32 stays loaded with its entry point
    f.cbLockWorkstation.SetChecked(true);
    h.User([&] { f.HotKey(2); });
    EXPECT_EQ(h.desktop.lockAndSaver, (std::vector<std::string>{"LockWorkStation", "ScreenSave"}));

    // Option off: only the screen saver. Hidden mode changes nothing.
    f.cbLockWorkstation.SetChecked(false);
    h.User([&] { f.HotKey(0); });
    ASSERT_TRUE(f.IsHiddenMode());
    h.desktop.lockAndSaver.clear();
    h.User([&] { f.HotKey(2); });
    EXPECT_EQ(h.desktop.lockAndSaver, std::vector<std::string>{"ScreenSave"});
    f.cbLockWorkstation.SetChecked(true);
    h.User([&] { f.HotKey(2); });
    EXPECT_EQ(h.desktop.lockAndSaver,
              (std::vector<std::string>{"ScreenSave", "LockWorkStation", "ScreenSave"}));
}

TEST(ScreenSaver, WithoutTheLockEntryPointTheOptionHasNoEffect) {
    Harness h;
    h.desktop.lockWorkStationExported = false;
    ASSERT_TRUE(h.Start());
    EXPECT_EQ(h.desktop.librariesLoaded, 1);
    EXPECT_EQ(h.desktop.librariesFreed, 1);  // released at once
    h.Form().cbLockWorkstation.SetChecked(true);
    h.User([&] { h.Form().HotKey(2); });
    EXPECT_EQ(h.desktop.lockAndSaver, std::vector<std::string>{"ScreenSave"});
}

// The dialog, answered by a script.
struct DialogAnswer {
    ModalResult result = ModalResult::Ok;
    std::function<void(TMouseShortcutForm&)> fill;
};

void Answer(Harness& h, DialogAnswer answer, int* shown = nullptr,
            std::function<void(TMouseShortcutForm&)> seen = nullptr) {
    h.backend.modalResponder = [=](TForm& form) {
        auto* dialog = dynamic_cast<TMouseShortcutForm*>(&form);
        if (!dialog) return ModalResult::Cancel;
        if (shown) ++*shown;
        if (seen) seen(*dialog);
        if (answer.fill) answer.fill(*dialog);
        return answer.result;
    };
}

TEST(MouseShortcutDialog, OkKeepsTheShortcutOnWithTheChosenValues) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    TMouseShortcutInfo& s = h.Globals().hideCornerShortcut;
    s.HoverStart = 1234;
    int shown = 0;
    Answer(h,
           {ModalResult::Ok,
            [](TMouseShortcutForm& d) {
                d.cbBottomRight.Click();
                d.edHoverInterval.SetValue(1500);
                d.edZoneSize.SetValue(35);
            }},
           &shown, [](TMouseShortcutForm& d) {
               // Shown with the shortcut's values: top left ticked alone.
               EXPECT_EQ(d.Caption(), L"Mouse Shortcut");
               EXPECT_TRUE(d.cbTopLeft.Checked());
               EXPECT_FALSE(d.cbTopRight.Checked() || d.cbBottomLeft.Checked() ||
                            d.cbBottomRight.Checked());
               EXPECT_EQ(d.edHoverInterval.Value(), 500);
               EXPECT_EQ(d.edZoneSize.Value(), 20);
           });
    h.User([&] { f.btnMouseWinCtrl.Click(); });
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(f.btnMouseWinCtrl.Down());
    EXPECT_EQ(s.Corner, 3);
    EXPECT_EQ(s.HoverInterval, 1500);
    EXPECT_EQ(s.ZoneSize, 35);
    EXPECT_EQ(s.HoverStart, 1234u);  // the hover state is not the dialog's

    // A click on the down button turns it off without asking; the values stay.
    h.User([&] { f.btnMouseWinCtrl.Click(); });
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(f.btnMouseWinCtrl.Down());
    EXPECT_EQ(s.Corner, 3);

    // The two buttons are independent of each other.
    Answer(h, {ModalResult::Ok, nullptr});
    h.User([&] { f.btnMouseWinCtrl.Click(); });
    h.User([&] { f.btnMouseSSaverCtrl.Click(); });
    EXPECT_TRUE(f.btnMouseWinCtrl.Down());
    EXPECT_TRUE(f.btnMouseSSaverCtrl.Down());
}

TEST(MouseShortcutDialog, CancelTurnsTheShortcutOffAndKeepsItsValues) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    TMouseShortcutInfo& s = h.Globals().screenSaverCornerShortcut;
    Answer(h, {ModalResult::Cancel, [](TMouseShortcutForm& d) {
                   d.cbBottomLeft.Click();
                   d.edZoneSize.SetValue(99);
               }});
    h.User([&] { f.btnMouseSSaverCtrl.Click(); });
    EXPECT_FALSE(f.btnMouseSSaverCtrl.Down());
    EXPECT_EQ(s.Corner, 1);
    EXPECT_EQ(s.ZoneSize, 20);
}

TEST(MouseShortcutDialog, StoredValuesBeyondTheRangesComeBackLimitedOnlyWhenConfirmed) {
    struct Case {
        std::int32_t hover, zone;  // as stored
        std::int32_t limitedHover, limitedZone;
    };
    // The hover time goes up to half a minute, the zone to 200 pixels, both down to 0.
    for (const Case& c : {Case{45000, -5, 30000, 0}, Case{-1, 500, 0, 200}}) {
        Harness h;
        ASSERT_TRUE(h.Start());
        TMainForm& f = h.Form();
        TMouseShortcutInfo& s = h.Globals().hideCornerShortcut;
        s.HoverInterval = c.hover;
        s.ZoneSize = c.zone;
        s.Corner = 9;  // no box ticked, and the corner stays as it was
        Answer(h, {ModalResult::Ok, nullptr}, nullptr, [&](TMouseShortcutForm& d) {
            EXPECT_EQ(d.edHoverInterval.Value(), c.limitedHover);
            EXPECT_EQ(d.edZoneSize.Value(), c.limitedZone);
            EXPECT_FALSE(d.TickedCorner().has_value());
        });
        h.User([&] { f.btnMouseWinCtrl.Click(); });
        EXPECT_EQ(s.HoverInterval, c.limitedHover);
        EXPECT_EQ(s.ZoneSize, c.limitedZone);
        EXPECT_EQ(s.Corner, 9);
    }
}

TEST(MouseShortcutDialog, TheCornerBoxesStayExclusiveAndCannotBeUnticked) {
    TMouseShortcutForm d;
    d.cbTopRight.Click();
    EXPECT_EQ(d.TickedCorner(), std::optional<std::uint8_t>(1));
    d.cbBottomLeft.Click();
    EXPECT_EQ(d.TickedCorner(), std::optional<std::uint8_t>(2));
    EXPECT_FALSE(d.cbTopRight.Checked());
    d.cbBottomLeft.Click();  // the ticked one, again
    EXPECT_TRUE(d.cbBottomLeft.Checked());
    int ticked = 0;
    for (std::uint8_t c = 0; c < 4; ++c) ticked += d.CornerBox(c)->Checked();
    EXPECT_EQ(ticked, 1);
    d.SelectCorner(nullptr);
    EXPECT_FALSE(d.TickedCorner().has_value());
}

TEST(MouseShortcutDialog, TheDialogIsSavedAndLoadedWithTheButtonState) {
    Harness h;
    ASSERT_TRUE(h.Start());
    TMainForm& f = h.Form();
    Answer(h, {ModalResult::Ok, [](TMouseShortcutForm& d) {
                   d.cbBottomRight.Click();
                   d.edZoneSize.SetValue(40);
               }});
    h.User([&] { f.btnMouseWinCtrl.Click(); });
    h.User([&] { f.Close(); });
    h.Finish();
    std::wstring file = h.Globals().settingsFile;
    auto read = [&](const wchar_t* key) {
        return h.desktop.GetPrivateProfileStringW(L"MouseShortcut_Windows", key, L"?", file);
    };
    EXPECT_EQ(read(L"Enabled"), L"1");
    EXPECT_EQ(read(L"Corner"), L"3");
    EXPECT_EQ(read(L"ZoneSize"), L"40");
}

}  // namespace
}  // namespace nv::test
