#include "other_copy.h"

#include <windows.h>

#include "elevation.h"
#include "identity.h"
#include "message_boxes.h"

namespace hostline::window {

namespace {

// How long a second start waits for the first copy's window, which it shows only once it has read
// the hosts file (a big one takes a moment).
constexpr ULONGLONG kWaitForTheFirstMilliseconds = 5000;
constexpr DWORD kPause = 50;

// The claim on being the only copy; false when the name is taken. A copy that runs with other
// rights (elevated, say) holds a name this one may not even open, and another program may hold
// the name as an object of another kind (an event, say): either way it is taken, and who took it
// is told by the window that does or does not show up. Any other failure tells nothing of another
// copy, and must not stop this one from starting.
bool Claim(win32::UniqueHandle& claim) {
    win32::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kOneCopyName));
    const DWORD error = GetLastError();
    if (!mutex) return error != ERROR_ACCESS_DENIED && error != ERROR_INVALID_HANDLE;
    if (error == ERROR_ALREADY_EXISTS) return false;
    claim = std::move(mutex);
    return true;
}

// The other copy's window, or the message in front of it, or its start-up message; nullptr while
// it shows none.
HWND ShownByAnotherCopy() {
    if (HWND form = FindWindowW(kWindowClass, kCaption)) {
        if (IsIconic(form)) ShowWindowAsync(form, SW_RESTORE);
        return GetLastActivePopup(form);
    }
    return FindWindowW(L"#32770", kCaption);
}

// A copy without rights cannot write the hosts file; one with rights would be handed over to it
// only to be told so at its save.
bool CannotSaveWhereThisCould(HWND shown) {
    if (!win32::IsElevated()) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(shown, &processId);
    return win32::IsElevated(processId) == false;
}

}  // namespace

bool AnotherCopyRuns(win32::UniqueHandle& claim) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (Claim(claim)) return false;
        if (HWND shown = ShownByAnotherCopy()) {
            if (CannotSaveWhereThisCould(shown)) ShowOtherCopyCannotSave();
            SetForegroundWindow(shown);
            return true;
        }
        // Taken, and no copy shows itself: something else holds the name (a program that happens
        // to use it, or a copy that hangs on its way out). Ending here would end unseen, every
        // time; starting costs only the one-copy rule, which keeps no file safe: each save reads
        // the file afresh.
        if (GetTickCount64() - start >= kWaitForTheFirstMilliseconds) return false;
        Sleep(kPause);
    }
}

}  // namespace hostline::window
