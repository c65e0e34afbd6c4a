#include "message_boxes.h"

#include "messages.h"

namespace hostline::window {

static_assert(error::kAccessDenied == ERROR_ACCESS_DENIED && error::kSharingViolation == ERROR_SHARING_VIOLATION &&
              error::kLockViolation == ERROR_LOCK_VIOLATION && error::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              error::kDiskFull == ERROR_DISK_FULL);

namespace {

SaveFailure FailureOf(const win32::SaveOutcome& outcome) {
    SaveFailure failure;
    failure.Error = outcome.Error;
    failure.Description = win32::ErrorText(outcome.Error);
    failure.Elevated = win32::IsElevated();
    const DWORD attributes = outcome.Attributes;
    failure.Gone = attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    failure.ReadOnly = !failure.Gone && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    failure.FileAsItWas = outcome.FileAsItWas;
    failure.Path = outcome.Path;
    failure.RecoveryPath = outcome.RecoveryPath;
    return failure;
}

}  // namespace

void ShowStartFailure(const win32::FileFailure& failure) {
    MessageBoxW(nullptr, StartFailedText(failure.Code, failure.Description, failure.Path).c_str(), kErrorTitle,
                MB_OK | MB_ICONERROR);
}

void ShowSystemFailure(DWORD code) {
    MessageBoxW(nullptr, DescriptionWithCode(win32::ErrorText(code), code).c_str(), kErrorTitle,
                MB_OK | MB_ICONERROR);
}

std::wstring SaveOutcomeText(const win32::SaveOutcome& outcome) {
    return outcome.Result == win32::SaveResult::Succeeded ? kSucceededText : SaveFailedText(FailureOf(outcome));
}

void ShowSaveOutcome(HWND owner, const win32::SaveOutcome& outcome) {
    // No icon on purpose: the two outcomes are told apart by their words, as they always were.
    const bool succeeded = outcome.Result == win32::SaveResult::Succeeded;
    MessageBoxW(owner, SaveOutcomeText(outcome).c_str(), succeeded ? kSucceededTitle : kFailedTitle, MB_OK);
}

}  // namespace hostline::window
