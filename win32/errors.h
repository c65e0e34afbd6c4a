// Error codes as the program keeps them: taken at the call that failed, never 0 for a failure,
// and put into the system's own words in one place.
#pragma once

#include <windows.h>

#include <string>

namespace hostline::win32 {

// GetLastError(), or `fallback` where the failed call set no code: some calls (GDI's among them)
// fail without one, and a 0 would later read as success.
DWORD LastErrorOr(DWORD fallback);

// The platform's description of an error code, without the trailing line break.
std::wstring ErrorText(DWORD code);

}  // namespace hostline::win32
