#include "message_boxes.h"

#include <new>

#include "errors.h"
#include "identity.h"
#include "messages.h"
#include "typed_ahead.h"

namespace hostline::window {

static_assert(error::kPathNotFound == ERROR_PATH_NOT_FOUND && error::kAccessDenied == ERROR_ACCESS_DENIED && error::kSharingViolation == ERROR_SHARING_VIOLATION &&
              error::kLockViolation == ERROR_LOCK_VIOLATION && error::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              error::kDiskFull == ERROR_DISK_FULL);

void ShowStartFailure(const HostsFailure& failure) {
    // Titled like the window it stands for, so that users, and a second start, know it as the program's.
    MessageBoxW(nullptr, StartFailedText(failure).c_str(), kCaption, MB_OK | MB_ICONERROR);
}

void ShowSystemFailure(DWORD code) {
    MessageBoxW(nullptr, WindowFailedText(code, win32::ErrorText(code)).c_str(), kCaption, MB_OK | MB_ICONERROR);
}

void ShowOtherCopyCannotSave() {
    MessageBoxW(nullptr, kOtherCopyCannotSaveText, kCaption, MB_OK | MB_ICONWARNING);
}

void ShowSaveOutcome(HWND owner, LineChoice choice, const win32::SaveOutcome& outcome) {
    // A second Enter typed while the save ran must not close a failure unread.
    const TypedAheadFilter typedAhead(owner);
    // No icon on purpose: the two outcomes are told apart by their words, as they always were.
    const bool succeeded = outcome.Result == win32::SaveResult::Succeeded;
    std::wstring text;
    try {
        text = succeeded ? SucceededText(choice, outcome.Changed, kBuiltInConstants) : SaveFailedText(outcome.Failure);
    } catch (const std::bad_alloc&) {
        if (succeeded) {
            MessageBoxW(owner, kSucceededText, kSucceededTitle, MB_OK);
            return;
        }
        // Still the truth about the file, in words that need no memory.
        MessageBoxW(owner, outcome.Failure.FileAsItWas ? kFailedUnchangedShortText : kFailedDamagedShortText,
                    kFailedTitle, MB_OK);
        return;
    }
    MessageBoxW(owner, text.c_str(), succeeded ? kSucceededTitle : kFailedTitle, MB_OK);
}

}  // namespace hostline::window
