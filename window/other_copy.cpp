#include "other_copy.h"

#include <windows.h>

#include "identity.h"

namespace hostline::window {

namespace {

// How long a second start waits for the first copy's window, which it shows only once it has read
// the hosts file (a big one takes a moment).
constexpr ULONGLONG kWaitForTheFirstMilliseconds = 5000;
constexpr DWORD kPause = 50;

// The claim on being the only copy; false when another copy holds it. A copy that runs with other
// rights (elevated, say) holds a name this one may not even open: that too means it runs. Any
// other failure tells nothing of another copy, and must not stop this one from starting.
bool Claim(win32::UniqueHandle& claim) {
    win32::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kOneCopyName));
    const DWORD error = GetLastError();
    if (!mutex) return error != ERROR_ACCESS_DENIED;
    if (error == ERROR_ALREADY_EXISTS) return false;
    claim = std::move(mutex);
    return true;
}

// The other copy's window, or the message in front of it, or its start-up message; false when it
// shows none yet.
bool BringForward() {
    HWND target = nullptr;
    if (HWND form = FindWindowW(kWindowClass, kCaption)) {
        if (IsIconic(form)) ShowWindowAsync(form, SW_RESTORE);
        target = GetLastActivePopup(form);
    } else {
        target = FindWindowW(L"#32770", kCaption);
    }
    if (!target) return false;
    SetForegroundWindow(target);
    return true;
}

}  // namespace

bool AnotherCopyRuns(win32::UniqueHandle& claim) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (Claim(claim)) return false;
        if (BringForward() || GetTickCount64() - start >= kWaitForTheFirstMilliseconds) return true;
        Sleep(kPause);
    }
}

}  // namespace hostline::window
