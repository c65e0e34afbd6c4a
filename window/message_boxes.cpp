#include "message_boxes.h"

#include "errors.h"
#include "messages.h"

namespace hostline::window {

static_assert(error::kAccessDenied == ERROR_ACCESS_DENIED && error::kSharingViolation == ERROR_SHARING_VIOLATION &&
              error::kLockViolation == ERROR_LOCK_VIOLATION && error::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              error::kDiskFull == ERROR_DISK_FULL);

void ShowStartFailure(const HostsFailure& failure) {
    MessageBoxW(nullptr, StartFailedText(failure).c_str(), kErrorTitle, MB_OK | MB_ICONERROR);
}

void ShowSystemFailure(DWORD code) {
    MessageBoxW(nullptr, DescriptionWithCode(win32::ErrorText(code), code).c_str(), kErrorTitle,
                MB_OK | MB_ICONERROR);
}

std::wstring SaveOutcomeText(const win32::SaveOutcome& outcome) {
    return outcome.Result == win32::SaveResult::Succeeded ? kSucceededText : SaveFailedText(outcome.Failure);
}

void ShowSaveOutcome(HWND owner, const win32::SaveOutcome& outcome) {
    // No icon on purpose: the two outcomes are told apart by their words, as they always were.
    const bool succeeded = outcome.Result == win32::SaveResult::Succeeded;
    MessageBoxW(owner, SaveOutcomeText(outcome).c_str(), succeeded ? kSucceededTitle : kFailedTitle, MB_OK);
}

}  // namespace hostline::window
