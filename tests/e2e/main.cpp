// The driver's entry: hostline_e2e PROGRAM.exe [gtest options], or hostline_e2e --gtest_list_tests.
// A Unix path (as ctest passes it) is turned into the Z: path Wine maps the root to.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "hostline_driver.h"

namespace hostline::e2e {

namespace {
std::wstring programPath;
}

const std::wstring& ProgramPath() { return programPath; }

}  // namespace hostline::e2e

namespace {

std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Coordinates are read in physical pixels, whatever DPI the program under test runs at:
    // a per-monitor aware caller gets no scaling from the system.
    using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto setContext = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (!setContext || !setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) SetProcessDPIAware();
    // ctest reads the list of tests on the Linux side (see tests/win32/test_main.cpp).
    _setmode(_fileno(stdout), _O_BINARY);
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests, as ctest does before it runs each in a process of its own, needs no program.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    if (argc != 2) {
        std::fprintf(stderr, "usage: hostline_e2e PROGRAM.exe [gtest options]\n");
        return 2;
    }
    hostline::e2e::programPath = WindowsPath(argv[1]);
    if (GetFileAttributesW(hostline::e2e::programPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // The other architecture's build may not exist on this machine; say so and skip.
        std::fprintf(stderr, "skipped: %ls does not exist\n", hostline::e2e::programPath.c_str());
        return 77;
    }
    return RUN_ALL_TESTS();
}
