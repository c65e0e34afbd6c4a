// Drives a running hostline.exe from outside, as a user would: finds its windows by process id,
// reads them through ordinary window messages and presses buttons and keys by posting messages.
// All waits end at a generous deadline so that a hung program fails the test instead of hanging
// it. The tests never measure time with them; the end-to-end benchmark does.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "unique_handle.h"

namespace hostline::e2e {

// The executable under test, from the command line.
const std::wstring& ProgramPath();

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

// Top-level windows of one process with the given class (any class when empty).
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className);

// The buttons of a message box that the user can see, and whether it shows an icon.
struct MessageBoxContents {
    std::wstring Title;
    std::wstring Text;
    std::vector<int> VisibleButtonIds;
    bool ShowsIcon = false;
    HWND Owner = nullptr;
};
MessageBoxContents ReadMessageBox(HWND box);

class RunningProgram {
public:
    // Starts ProgramPath(), or `program`, without administrator rights if asked (with this
    // process's linked token); check Started() afterwards.
    RunningProgram() : RunningProgram(ProgramPath()) {}
    explicit RunningProgram(const std::wstring& program, bool withoutRights = false);
    ~RunningProgram();  // ends the process if a test left it running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }

    // Form1 once it is visible; nullptr if it does not show up (or the process ends first).
    HWND WaitForForm();
    // A visible message box of this process other than `except`; nullptr if none comes.
    HWND WaitForMessageBox(HWND except = nullptr);
    // The exit code, or STILL_ACTIVE if the process did not end.
    DWORD WaitForExit();
    // Every message box the process has shown so far that is still open.
    std::vector<HWND> OpenMessageBoxes() const;

    HWND FocusedWindow() const;
    // Waits until the keyboard focus of the program's thread is on `window`.
    bool WaitForFocus(HWND window) const;

private:
    win32::UniqueHandle process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
};

// Key presses as the message loop would get them from the keyboard.
void PostKey(HWND window, UINT virtualKey);

// Polls `done` until it holds or the deadline passes; says whether it held. The short pause keeps
// the benchmark, which times through these waits, to the millisecond.
template <class Condition>
bool WaitUntil(Condition done) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() > deadline) return false;
        Sleep(1);
    }
}

}  // namespace hostline::e2e
