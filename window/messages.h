// Everything the program tells the user, in Chinese, as plain text: no Windows here, so that which
// cause gets which words is checked natively.
#pragma once

#include <cstdint>
#include <string>

#include "hosts_failure.h"

namespace hostline::window {

// The system error codes the texts tell apart (winerror.h's numbers).
namespace error {
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kDiskFull = 112;
}  // namespace error

extern const wchar_t kErrorTitle[];
extern const wchar_t kSucceededTitle[];
extern const wchar_t kSucceededText[];
extern const wchar_t kFailedTitle[];

std::wstring SaveFailedText(const HostsFailure& failure);

// The hosts file could not be read at start.
std::wstring StartFailedText(const HostsFailure& failure);

// <description>（错误代码 <code>）
std::wstring DescriptionWithCode(const std::wstring& description, std::uint32_t code);

}  // namespace hostline::window
