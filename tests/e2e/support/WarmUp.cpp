// Part of the end-to-end test program only (the benchmarks share the driver, not this): the
// warm-up of a fresh Wine session, and the clean start of every test.
#include <gtest/gtest.h>

#include "support/Driver.h"

namespace {

// The first program of a fresh Wine session starts the desktop and its services, which takes
// seconds on a loaded machine: the session is warmed up with a helper window before the first
// test, so that test does not pay for it within its own waits.
class WarmUp : public ::testing::Environment {
public:
    void SetUp() override {
        e2e::Process helper;
        if (!e2e::Start(helper, L"nv_windows.exe", L"Warm-up")) return;
        e2e::WaitFor([&] { return e2e::FindWindowOf(helper.Pid(), L"Warm-up") != nullptr; },
                     30000);
    }
};

::testing::Environment* const kWarmUp = ::testing::AddGlobalTestEnvironment(new WarmUp);

// Every test starts from nothing the program wrote: a test that killed Nivora while hidden must
// not leave its record to the next test of the shard, nor one a password or an autostart value.
class CleanStart : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { e2e::ClearProgramState(); }
};

struct CleanStartInstaller {
    CleanStartInstaller() {
        ::testing::UnitTest::GetInstance()->listeners().Append(new CleanStart);
    }
} const kCleanStart;

}  // namespace
