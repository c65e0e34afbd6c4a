// Where the hosts file lies under the system directory, as plain text.
#pragma once

#include <string>
#include <string_view>

namespace hostline {

// The directory followed by \drivers\etc\hosts, or empty text when the directory is not an
// absolute path (a drive and a backslash, or a UNC path). An empty or relative one, as a failed
// query of the system would give, would make an elevated program read and rewrite a file
// under whatever drive or folder happens to be current.
std::wstring HostsPathUnder(std::wstring_view systemDirectory);

}  // namespace hostline
