// The entry of the Windows-side test programs. ctest reads their list of tests (--gtest_list_tests)
// on the Linux side, through Wine, and would take the CR that the runtime's text mode puts before
// every LF as part of each name: standard output is written as it is.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
