// Where the hosts file is, asked of the system afresh before every open.
#pragma once

#include <windows.h>

#include <string>

namespace hostline::win32 {

// The system directory followed by \drivers\etc\hosts. False, with the code of the call that
// failed, when the system does not say where its directory is: there is then no path at all,
// never one relative to the current drive.
bool FindHostsPath(std::wstring& path, DWORD& error);

}  // namespace hostline::win32
