// Entry point of the Windows tests: the tree links with -municode, so the runtime looks for
// wmain rather than the main that gtest_main brings.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
