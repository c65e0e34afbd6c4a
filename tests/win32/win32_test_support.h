// Puts the prefix's real hosts file into a known state for each test and back afterwards.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>

#include "file_bytes.h"

namespace hostline::win32 {

class HostsFileFixture : public ::testing::Test {
protected:
    void SetUp() override {
        hadFile_ = ReadFileBytes(HostsPath(), original_);
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
