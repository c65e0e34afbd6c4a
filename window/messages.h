// Everything the program tells the user, in Chinese, as plain text: no Windows here, so that which
// cause gets which words is checked natively.
#pragma once

#include <cstdint>
#include <string>

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

// What a failed save found out, in the words the user is given.
struct SaveFailure {
    std::uint32_t Error = 0;
    std::wstring Description;  // the system's own words for Error
    bool Elevated = false;
    bool ReadOnly = false;     // the file carries the read-only attribute
    bool Gone = false;         // the file is missing, or a folder stands in its place
    bool FileAsItWas = true;   // false when a failed write could not be undone
    std::wstring Path;
    std::wstring RecoveryPath; // where the old content was saved, if it could be
};

std::wstring SaveFailedText(const SaveFailure& failure);

// The hosts file could not be read at start.
std::wstring StartFailedText(std::uint32_t error, const std::wstring& description, const std::wstring& path);

// <description>（错误代码 <code>）
std::wstring DescriptionWithCode(const std::wstring& description, std::uint32_t code);

}  // namespace hostline::window
