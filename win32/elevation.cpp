#include "elevation.h"

#include "unique_handle.h"

namespace hostline::win32 {

namespace {

std::optional<bool> TokenIsElevated(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return std::nullopt;
    return elevation.TokenIsElevated != 0;
}

}  // namespace

bool IsElevated() { return TokenIsElevated(GetCurrentProcess()).value_or(false); }

std::optional<bool> IsElevated(DWORD processId) {
    // The limited right is the one a process of the same user, with or without rights, gets.
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::nullopt;
    return TokenIsElevated(process.Get());
}

}  // namespace hostline::win32
