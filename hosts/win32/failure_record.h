// Fills in the one record of a failure at the call that failed: the code, the system's words for
// it, whether the program runs as administrator, and what stands at the path just then.
#pragma once

#include <windows.h>

#include "hosts_failure.h"

namespace hostline::win32 {

// `failure.Path` is the hosts file's, or empty when the system did not say where it is. Nothing
// here fails: when memory is short, only the system's words are left out.
void RecordFailure(HostsFailure& failure, FailedStep step, DWORD error) noexcept;

}  // namespace hostline::win32
