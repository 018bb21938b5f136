// The last chance of a program that ends by a fault of its own: the guard's action runs once,
// from the unhandled-exception filter, and the fault goes on to whoever reports it.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/CrashGuard.h"

namespace {

TEST(CrashGuard, AnUnhandledFaultRunsTheLastChanceOnceAndGoesOn) {
    int runs = 0;
    nv::win32::InstallCrashGuard([&runs] { ++runs; });
    // The filter the guard put in place, as Windows would call it for a fault nothing caught.
    LPTOP_LEVEL_EXCEPTION_FILTER filter = ::SetUnhandledExceptionFilter(nullptr);
    ::SetUnhandledExceptionFilter(filter);
    ASSERT_NE(filter, nullptr);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
    CONTEXT context{};
    EXCEPTION_POINTERS pointers{&record, &context};
    filter(&pointers);
    EXPECT_EQ(runs, 1);
    // A second fault (one inside the action itself) does not run it again.
    filter(&pointers);
    EXPECT_EQ(runs, 1);
    // The guard stays in place, spent: the test program's own faults go on as before.
}

}  // namespace
