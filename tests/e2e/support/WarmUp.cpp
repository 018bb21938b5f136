// Part of the end-to-end test program only (the benchmarks share the driver, not this).
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

}  // namespace
