#include "failure_record.h"

#include <new>

#include "elevation.h"
#include "errors.h"

namespace hostline::win32 {

namespace {

AtHostsPath WhatStandsAt(const std::wstring& path) {
    if (path.empty()) return AtHostsPath::Nothing;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        // A file whose attributes cannot be read is still there.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? AtHostsPath::Nothing
                                                                               : AtHostsPath::File;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return AtHostsPath::Folder;
    return attributes & FILE_ATTRIBUTE_READONLY ? AtHostsPath::ReadOnlyFile : AtHostsPath::File;
}

}  // namespace

void RecordFailure(HostsFailure& failure, FailedStep step, DWORD error) noexcept {
    failure.Step = step;
    failure.Error = error;
    failure.Elevated = IsElevated();
    failure.Found = WhatStandsAt(failure.Path);
    try {
        failure.Description = ErrorText(error);
    } catch (const std::bad_alloc&) {
        failure.Description.clear();
    }
}

}  // namespace hostline::win32
