// Times the real program under Windows (or Wine): from process start to its window being shown,
// and from pressing Save to the message box, on a one-line and a million-line hosts file.
// Usage: hostline_e2e_bench PATH\TO\hostline.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "generated_hosts.h"
#include "hostline_constants.h"
#include "hostline_driver.h"

namespace {

using namespace hostline;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND FindButton(HWND parent, const wchar_t* text) {
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, L"Button", nullptr))) {
        if (e2e::TextOf(child) == text) return child;
    }
    return nullptr;
}

bool WriteHosts(const std::string& bytes) {
    // Flushed, so the system writing the file out does not run into the timing that follows.
    return win32::WriteFileBytes(win32::HostsPath(), bytes, true);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Timings {
    double start = 0;
    double save = 0;
};

// Starts the program `runs` times, closing it, then `runs` times more pressing Save.
bool verbose = false;

bool Measure(const std::wstring& program, const std::string& hosts, int runs, Timings& result) {
    std::vector<double> starts, saves;
    // Closing the window leaves the file alone, so the starts share one writing of it; every
    // save gets the file back as it was.
    if (!WriteHosts(hosts)) return false;
    for (int i = 0; i < 2 * runs; ++i) {
        if (i > runs && !WriteHosts(hosts)) return false;
        const double started = Now();
        e2e::RunningProgram run(program);
        HWND window = run.Started() ? run.WaitForForm() : nullptr;
        if (!window) return false;
        starts.push_back(Now() - started);
        if (verbose) std::fprintf(stderr, "start %.0f ms\n", starts.back());
        if (i < runs) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        } else {
            HWND save = FindButton(window, L"\u4FDD\u5B58");
            if (!save) return false;
            const double pressed = Now();
            PostMessageW(save, BM_CLICK, 0, 0);
            HWND box = run.WaitForMessageBox();
            if (!box) return false;
            saves.push_back(Now() - pressed);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        if (run.WaitForExit() == STILL_ACTIVE) return false;
    }
    result = {Median(starts), Median(saves)};
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: hostline_e2e_bench PATH\\TO\\hostline.exe [runs]\n", stderr);
        return 2;
    }
    const std::wstring program = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    verbose = argc > 3;
    const auto& c = kBuiltInConstants;
    const std::string host(c.ServiceHost), line1(c.Line1Address);
    const std::string oneLine = line1 + "\t\t" + host + "\r\n";
    bench::GeneratedHosts shape;
    shape.host = host.c_str();
    shape.line1Address = line1.c_str();
    const std::string million = bench::GeneratedHostsFile(shape);
    shape.entriesFirst = true;
    const std::string millionEntriesFirst = bench::GeneratedHostsFile(shape);
    shape.entriesFirst = false;
    shape.lineEnd = "\n";
    const std::string millionLf = bench::GeneratedHostsFile(shape);

    std::string original;
    const bool hadHosts = win32::ReadFileBytes(win32::HostsPath(), original);
    Timings small, large, first, lf;
    const bool ok = Measure(program, oneLine, runs, small) && Measure(program, million, runs, large) &&
                    Measure(program, millionEntriesFirst, runs, first) && Measure(program, millionLf, runs, lf);
    if (hadHosts) WriteHosts(original);
    if (!ok) {
        std::fputs("the program did not start, show its window or answer Save\n", stderr);
        return 1;
    }
    std::printf("| measure (median of %d) | ms | ratio | goal |\n|---|---|---|---|\n", runs);
    std::printf("| start, 1-line hosts file | %.0f | 1.00 | |\n", small.start);
    std::printf("| start, 1 000 000-line hosts file (%.1f MB) | %.0f | %.2f | <= 1.25 |\n", million.size() / 1e6,
                large.start, large.start / small.start);
    std::printf("| save, 1-line hosts file | %.0f | %.2f | |\n", small.save, small.save / small.start);
    std::printf("| save, 1 000 000-line hosts file | %.0f | %.2f | <= 1.00 |\n", large.save,
                large.save / small.start);
    std::printf("| save, the same with the entries on the first lines (whole file rewritten) | %.0f | %.2f | |\n",
                first.save, first.save / small.start);
    std::printf("| save, the same with LF line ends (whole file rewritten) | %.0f | %.2f | |\n", lf.save,
                lf.save / small.start);
    return 0;
}
