// Whether this process runs as administrator, which decides what a refused write is told as.
#pragma once

namespace hostline::win32 {

// False where the token cannot tell.
bool IsElevated();

}  // namespace hostline::win32
