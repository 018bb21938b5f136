// Hide when idle against the in-memory desktop: the session's last input and the clock are the
// fake's; the idle timer is ticked when its interval has passed, as the message loop would.
#include <gtest/gtest.h>

#include "support/Harness.h"

namespace nv::test {
namespace {

constexpr std::uint32_t kMinute = 60000;

class IdleHide : public ::testing::Test {
  protected:
    // A silent start with the option as given, one minute, and a window to hide.
    void Start(bool on, std::uint32_t startTick = 5000000) {
        H().desktop.tickCount = startTick;
        H().desktop.commandLine = {L"/q"};
        H().Make();
        const std::wstring& file = H().Globals().settingsFile;
        H().desktop.WritePrivateProfileStringW(L"General", L"HideWhenIdle", on ? L"1" : L"0", file);
        H().desktop.WritePrivateProfileStringW(L"General", L"IdleMinutes", L"1", file);
        mail = H().desktop.AddWindow(L"Mail", L"AppWindow", 100);
        ASSERT_TRUE(H().Start());
    }
    TTimer& timer() { return H().Form().IdleTimer; }
    // The user presses a key now.
    void Input() { H().desktop.lastInputTick = H().desktop.tickCount; }
    void Elapse(std::uint32_t ms) { H().desktop.tickCount += ms; }
    // Lets the clock run for ms, the timer firing whenever its interval has passed since it
    // was started; returns how often it fired.
    int Run(std::uint32_t ms) {
        const std::uint32_t begin = H().desktop.tickCount;
        int ticks = 0;
        while (timer().Enabled()) {
            // Overdue when the clock was moved on without it: at once.
            auto due = static_cast<std::int32_t>(H().backend.timerStarts.at(&timer()) +
                                                 timer().interval - begin);
            if (due < 0) due = 0;
            if (static_cast<std::uint32_t>(due) > ms) break;
            H().desktop.tickCount = begin + due;
            ++ticks;
            H().User([&] { timer().Tick(); });
        }
        H().desktop.tickCount = begin + ms;
        return ticks;
    }
    bool Hidden() { return H().Form().IsHiddenMode(); }
    void Hotkey() {
        Input();
        H().User([&] { H().Form().HotKey(0); });
    }

    Harness& H() { return *m_harness; }
    // A program of its own for each start.
    void Reset() { m_harness = std::make_unique<Harness>(); }

    std::unique_ptr<Harness> m_harness = std::make_unique<Harness>();
    WindowHandle mail = 0;
};

TEST_F(IdleHide, HidesOneIdlePeriodAfterTheLastInputAndNotBefore) {
    Start(true);
    Elapse(10000);
    Input();
    EXPECT_LE(Run(kMinute - 1), 1);
    EXPECT_FALSE(Hidden());
    // Input keeps the hide away; the timer looks again only when the period could have ended.
    Elapse(1);
    Input();
    EXPECT_LE(Run(kMinute - 1), 1);
    EXPECT_FALSE(Hidden());
    EXPECT_LE(Run(1), 1);
    EXPECT_TRUE(Hidden());
    EXPECT_FALSE(H().desktop.IsWindowVisible(mail));
    EXPECT_FALSE(timer().Enabled());  // nothing is polled while hidden
}

// Fresh session: no input yet, the last input reads tick 0. Idle counts from the start.
TEST_F(IdleHide, AFreshSessionCountsFromTheStartAndTheCounterMayWrapMeanwhile) {
    for (std::uint32_t start : {5000000u, 0xFFFFFFFFu - 20000u}) {
        SCOPED_TRACE(start);
        Reset();
        Start(true, start);
        Run(kMinute - 1);
        EXPECT_FALSE(Hidden());
        Run(1);
        EXPECT_TRUE(Hidden());
    }
    // Input just before the wrap, the hide a minute later, after it.
    Reset();
    Start(true, 0xFFFFFFFFu - 70000u);
    Elapse(60000);
    Input();
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());
    EXPECT_LT(H().desktop.tickCount, 100000u);
}

TEST_F(IdleHide, WhileHiddenNothingHappensAndOnlyNewInputStartsAnotherPeriod) {
    Start(true);
    Run(kMinute);
    ASSERT_TRUE(Hidden());
    Run(20 * kMinute);
    EXPECT_TRUE(Hidden());

    // Restored by another program's request, with no input: no hide until the user is back.
    H().User([&] { H().Form().RestoreRequested(); });
    ASSERT_FALSE(Hidden());
    EXPECT_TRUE(H().desktop.IsWindowVisible(mail));
    Run(5 * kMinute);
    EXPECT_FALSE(Hidden());
    Input();
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());

    // Input while hidden (the hotkey alone restores) is the user back: after a restore
    // without input, idle counts from the restore.
    Run(10 * kMinute);
    Input();
    Run(10 * kMinute);
    ASSERT_TRUE(Hidden());
    H().User([&] { H().Form().RestoreRequested(); });
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());

    // The hotkey restores, and is input: one more period, then hidden again.
    Hotkey();
    ASSERT_FALSE(Hidden());
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());
}

// A hide by the hotkey ended without input: the time spent hidden is not idle time.
TEST_F(IdleHide, AfterAnyRestoreIdleCountsFromTheRestoreAtTheEarliest) {
    Start(true);
    Hotkey();
    ASSERT_TRUE(Hidden());
    Elapse(30 * kMinute);
    H().User([&] { H().Form().RestoreRequested(); });
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());
}

TEST_F(IdleHide, OffNothingHappensAndTickingTheBoxCountsFromTheTick) {
    Start(false);
    EXPECT_FALSE(timer().Enabled());
    Elapse(10 * kMinute);
    EXPECT_FALSE(Hidden());
    H().User([&] { H().Form().cbHideWhenIdle.SetChecked(true); });
    Run(kMinute - 1);
    EXPECT_FALSE(Hidden());
    Run(1);
    EXPECT_TRUE(Hidden());
    Hotkey();
    H().User([&] { H().Form().cbHideWhenIdle.SetChecked(false); });
    EXPECT_FALSE(timer().Enabled());
}

}  // namespace
}  // namespace nv::test
