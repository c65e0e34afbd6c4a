// Puts the prefix's real hosts file into a known state for each test and back afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "hosts_win32.h"
#include "unique_handle.h"

namespace hostline::win32 {

inline std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

inline std::string ReadFileBytes(const std::wstring& path) {
    const ReadResult read = ReadWholeFile(path);
    return read.Ok ? std::string(read.Bytes.View()) : std::string("<unreadable>");
}

inline FILETIME LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class HostsFileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const ReadResult read = ReadWholeFile(HostsPath());
        hadFile_ = read.Ok;
        if (read.Ok) original_ = std::string(read.Bytes.View());
    }
    void TearDown() override {
        SetFileAttributesW(HostsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        if (hadFile_) {
            WriteFileBytes(HostsPath(), original_);
        } else {
            DeleteFileW(HostsPath().c_str());
        }
    }
    void WriteHosts(std::string_view bytes) { ASSERT_TRUE(WriteFileBytes(HostsPath(), bytes)); }
    void RemoveHosts() { DeleteFileW(HostsPath().c_str()); }
    std::string HostsBytes() const { return ReadFileBytes(HostsPath()); }

private:
    bool hadFile_ = false;
    std::string original_;
};

}  // namespace hostline::win32
