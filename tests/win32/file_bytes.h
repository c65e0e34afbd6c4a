// Writing and reading whole files for tests and tools, with nothing of GoogleTest in it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "hosts_path.h"
#include "unique_handle.h"

namespace hostline::win32 {

// The hosts file's path as the program finds it; empty when the system does not say.
inline std::wstring HostsPath() {
    std::wstring path;
    DWORD error = ERROR_SUCCESS;
    return FindHostsPath(path, error) ? path : std::wstring();
}

// `flush` waits for the bytes to reach the disk, so writing them out does not overlap what
// follows (a timing, in the benchmark).
inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes, bool flush = false) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && (!flush || FlushFileBuffers(file.Get()));
}

// The whole file, read sharing everything as the program does; false when it cannot be read.
inline bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(buffer, read);
    }
}

inline std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    return ReadFileBytes(path, bytes) ? bytes : std::string("<unreadable>");
}

inline ULONGLONG LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace hostline::win32
