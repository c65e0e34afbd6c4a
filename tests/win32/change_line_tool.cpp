// Runs one line change on the prefix's hosts file and prints its outcome, for tests that set the
// stage from outside Windows (a full disk).
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "../test_support.h"
#include "hosts_win32.h"

int wmain(int argc, wchar_t** argv) {
    using hostline::LineChoice;
    if (argc != 2) {
        std::fputs("usage: change_line_tool automatic|line1|line2|other\n", stderr);
        return 2;
    }
    const wchar_t* names[] = {L"automatic", L"line1", L"line2", L"other"};
    const LineChoice choices[] = {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2, LineChoice::Other};
    for (int i = 0; i < 4; ++i) {
        if (std::wcscmp(argv[1], names[i]) != 0) continue;
        const auto outcome = hostline::win32::ChangeLine(choices[i], hostline::testing::kConstants);
        const bool ok = outcome == hostline::SaveOutcome::Succeeded;
        std::puts(ok ? "Succeeded" : "Failed");
        return ok ? 0 : 1;
    }
    std::fputs("unknown choice\n", stderr);
    return 2;
}
