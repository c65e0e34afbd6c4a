// Times the real program under Windows (or Wine): from process start to its window being shown,
// and from pressing Save to the message box, on a one-line and a million-line hosts file.
// Usage: hostline_e2e_bench PATH\TO\hostline.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "generated_hosts.h"
#include "hostline_constants.h"
#include "hosts_win32.h"
#include "unique_handle.h"

namespace {

using namespace hostline;
using win32::UniqueProcessHandle;
using win32::ReadResult;

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

struct Search {
    DWORD process;
    const wchar_t* className;  // nullptr: any class
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto& s = *reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != s.process || !IsWindowVisible(window)) return TRUE;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    const bool isBox = std::wcscmp(name, L"#32770") == 0;
    if (s.className ? std::wcscmp(name, s.className) != 0 : isBox) return TRUE;
    s.found = window;
    return FALSE;
}

HWND FindVisibleWindow(DWORD process, const wchar_t* className) {
    Search search{process, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD process, const wchar_t* className, HANDLE processHandle) {
    for (;;) {
        if (HWND window = FindVisibleWindow(process, className)) return window;
        if (WaitForSingleObject(processHandle, 0) == WAIT_OBJECT_0) return nullptr;
        Sleep(1);
    }
}

HWND FindButton(HWND parent, const wchar_t* text) {
    HWND child = nullptr;
    while ((child = FindWindowExW(parent, child, L"Button", nullptr))) {
        wchar_t caption[32] = {};
        GetWindowTextW(child, caption, 32);
        if (std::wcscmp(caption, text) == 0) return child;
    }
    return nullptr;
}

struct Run {
    UniqueProcessHandle process;
    DWORD id = 0;
    HWND window = nullptr;
    double startMs = 0;
};

bool Start(const std::wstring& program, Run& run) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\"";
    const double t0 = Now();
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    run.process.Reset(info.hProcess);
    run.id = info.dwProcessId;
    run.window = WaitForWindow(run.id, nullptr, run.process.Get());
    run.startMs = Now() - t0;
    return run.window != nullptr;
}

void Finish(Run& run) {
    if (WaitForSingleObject(run.process.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(run.process.Get(), 1);
}

bool WriteHosts(const std::string& bytes) {
    win32::UniqueFile file(CreateFileW(win32::HostsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    // Flushed, so the system writing the file out does not run into the timing that follows.
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.Get());
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
        Run run;
        if (!Start(program, run)) return false;
        starts.push_back(run.startMs);
        if (verbose) std::fprintf(stderr, "start %.0f ms\n", run.startMs);
        if (i < runs) {
            PostMessageW(run.window, WM_CLOSE, 0, 0);
        } else {
            HWND save = FindButton(run.window, L"\u4FDD\u5B58");
            if (!save) return false;
            const double t0 = Now();
            PostMessageW(save, BM_CLICK, 0, 0);
            HWND box = WaitForWindow(run.id, L"#32770", run.process.Get());
            saves.push_back(Now() - t0);
            if (!box) return false;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        Finish(run);
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

    const ReadResult original = win32::ReadWholeFile(win32::HostsPath());
    Timings small, large, first, lf;
    const bool ok = Measure(program, oneLine, runs, small) && Measure(program, million, runs, large) &&
                    Measure(program, millionEntriesFirst, runs, first) && Measure(program, millionLf, runs, lf);
    if (original.Ok) WriteHosts(std::string(original.Bytes.View()));
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
