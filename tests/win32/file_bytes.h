// Writing and reading whole files for tests and tools, with nothing of GoogleTest in it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "hosts_win32.h"
#include "unique_handle.h"

namespace hostline::win32 {

// `flush` waits for the bytes to reach the disk, so writing them out does not overlap what
// follows (a timing, in the benchmark).
inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes, bool flush = false) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && (!flush || FlushFileBuffers(file.Get()));
}

inline std::string ReadFileBytes(const std::wstring& path) {
    const ReadResult read = ReadWholeFile(path);
    return read.Ok ? std::string(read.Bytes.View()) : std::string("<unreadable>");
}

inline ULONGLONG LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace hostline::win32
