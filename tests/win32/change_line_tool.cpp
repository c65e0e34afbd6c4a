// Runs one line change on the prefix's hosts file and prints its outcome and the words the window
// would show, for tests that set the stage from outside Windows (a full disk, a failing write, a
// user without the right to write).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "messages.h"
#include "save.h"
#include "test_support.h"

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace

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
        const bool ok = outcome.Result == hostline::win32::SaveResult::Succeeded;
        const std::wstring text = ok ? hostline::window::SucceededText(choices[i], outcome.Changed, hostline::testing::kConstants)
                                      : hostline::window::SaveFailedText(outcome.Failure);
        std::printf("%s\n%s\n", ok ? "Succeeded" : "Failed", Utf8(text).c_str());
        return ok ? 0 : 1;
    }
    std::fputs("unknown choice\n", stderr);
    return 2;
}
