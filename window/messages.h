// Everything the program tells the user, in Chinese, as plain text: no Windows here, so that which
// cause gets which words is checked natively. Every failure says what went wrong, whether the hosts
// file was changed, and a next step the user can take after the program has ended (it ends with
// its message).
#pragma once

#include <cstdint>
#include <string>

#include "hosts_failure.h"
#include "hosts_file.h"

namespace hostline::window {

// The system error codes the texts tell apart (winerror.h's numbers).
namespace error {
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kDiskFull = 112;
}  // namespace error

extern const wchar_t kSucceededTitle[];
// The first line of every success, and all of it when there is no memory for more.
extern const wchar_t kSucceededText[];
extern const wchar_t kFailedTitle[];
// Shown when there is not even the memory to put together the words of a failed save.
extern const wchar_t kFailedUnchangedShortText[];
extern const wchar_t kFailedDamagedShortText[];

// A success says the state the file is left in: the line in use with its address, the pin
// removed, or the file left as it was; and, when it changed, that open programs may need a restart.
std::wstring SucceededText(LineChoice choice, bool changed, const HostsConstants& constants);

std::wstring SaveFailedText(const HostsFailure& failure);

// The hosts file could not be read at start; the window was never shown.
std::wstring StartFailedText(const HostsFailure& failure);

// The window could not be made.
std::wstring WindowFailedText(std::uint32_t error, const std::wstring& description);

// A second start with administrator rights found a copy without them, which cannot save.
extern const wchar_t kOtherCopyCannotSaveText[];

}  // namespace hostline::window
