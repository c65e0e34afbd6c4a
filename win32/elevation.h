// Whether a process runs as administrator: this one, which decides what a refused write is told
// as, or another copy, which a second start must not hand over to if it cannot save.
#pragma once

#include <windows.h>

#include <optional>

namespace hostline::win32 {

// False where the token cannot tell.
bool IsElevated();

// Empty where the process or its token cannot be read.
std::optional<bool> IsElevated(DWORD processId);

}  // namespace hostline::win32
