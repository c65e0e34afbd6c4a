#include "hosts_path.h"

#include "errors.h"
#include "hosts_location.h"

namespace hostline::win32 {

namespace {

// The system directory without a trailing backslash; false when the query fails.
bool SystemDirectory(std::wstring& directory, DWORD& error) {
    directory.assign(MAX_PATH, L'\0');
    // A directory longer than the buffer makes the call return the size it needs, terminator
    // included; the second try has that room, unless the directory changed in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const UINT length = GetSystemDirectoryW(directory.data(), static_cast<UINT>(directory.size()));
        if (length == 0) {
            error = LastErrorOr(ERROR_PATH_NOT_FOUND);
            return false;
        }
        if (length < directory.size()) {
            directory.resize(length);
            return true;
        }
        directory.assign(length, L'\0');
    }
    error = ERROR_BUFFER_OVERFLOW;
    return false;
}

}  // namespace

bool FindHostsPath(std::wstring& path, DWORD& error) {
    std::wstring directory;
    if (!SystemDirectory(directory, error)) return false;
    path = HostsPathUnder(directory);
    if (path.empty()) error = ERROR_BAD_PATHNAME;
    return !path.empty();
}

}  // namespace hostline::win32
