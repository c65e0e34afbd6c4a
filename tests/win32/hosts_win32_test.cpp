// The platform layer on a real (Wine) system: the system directory, the prefix's own hosts file,
// the GBK code page, and failures carrying the system's own words.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../test_constants.h"
#include "hosts_win32.h"
#include "win32_test_support.h"

namespace hostline::win32 {
namespace {

using testing::kConstants;

TEST(Location, HostsPathIsTheSystemDirectoryPlusTheSuffix) {
    wchar_t expected[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(expected, MAX_PATH), 0u);
    const std::wstring directory = SystemDirectory();
    EXPECT_EQ(directory, expected);
    EXPECT_NE(directory.back(), L'\\');
    EXPECT_EQ(directory.find(L'\0'), std::wstring::npos);
    EXPECT_EQ(HostsPath(), directory + L"\\drivers\\etc\\hosts");
}

TEST(Text, AnsiIsGbkAndErrorsReadAsTheSystemWritesThem) {
    EXPECT_EQ(GetACP(), 936u) << "the tests expect LC_ALL=zh_CN.UTF-8";
    EXPECT_EQ(FromCodePage("\xD6\xD0\xCE\xC4", CP_ACP), L"\u4E2D\u6587");
    EXPECT_EQ(FromCodePage("\xE4\xB8\xAD", CP_UTF8), L"\u4E2D");
    const std::wstring text = ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
}

class HostsFileTest : public HostsFileFixture {};

TEST_F(HostsFileTest, ReadsTheRealFileByteForByte) {
    std::string bytes = "# \xD6\xD0\xCE\xC4\r\n127.0.0.1 localhost\n";
    bytes += std::string("\0\x1A\xFF", 3);
    WriteHosts(bytes);
    const ReadResult read = ReadWholeFile(HostsPath());
    ASSERT_TRUE(read.Ok);
    EXPECT_EQ(read.Bytes.View(), bytes);

    WriteHosts("");
    const ReadResult empty = ReadWholeFile(HostsPath());
    ASSERT_TRUE(empty.Ok);
    EXPECT_EQ(empty.Bytes.Size, 0u);
}

struct DetectCase {
    const char* name;
    std::string file;
    LineChoice choice;
    const wchar_t* address;
};

TEST_F(HostsFileTest, DetectsTheChoiceAndDecodesTheAddress) {
    const DetectCase cases[] = {
        {"no entry", "127.0.0.1 localhost\r\n", LineChoice::Automatic, L""},
        {"line 1", "# \xD6\xD0\xCE\xC4\r\n192.0.2.1\t\t" HOST "\r\n", LineChoice::Line1, L"192.0.2.1"},
        {"line 2 with LF", "198.51.100.1 " HOST "\n", LineChoice::Line2, L"198.51.100.1"},
        {"GBK comment after the host", "192.0.2.1 " HOST " #\xCF\xDF\xC2\xB7\xD2\xBB\r\n", LineChoice::Other,
         L"192.0.2.1  #\u7EBF\u8DEF\u4E00"},
        {"UTF-8 mark and comment", "\xEF\xBB\xBF" "10.0.0.9 " HOST " #\xE7\xBA\xBF\r\n", LineChoice::Other,
         L"10.0.0.9  #\u7EBF"},
        {"UTF-16", Utf16Le(u"10.1.2.3 " HOST " \u4E2D\r\n"), LineChoice::Other, L"10.1.2.3  \u4E2D"},
        // In GBK the byte pair B2 73 is one character whose second byte is the letter s; the host
        // name after it is no separate occurrence once the text is decoded.
        {"host hidden inside a double-byte character", "1.1.1.1 " HOST " x\xB2" HOST "\r\n", LineChoice::Other,
         L"1.1.1.1  x\u77ABervice.example.com"},
    };
    for (const auto& c : cases) {
        WriteHosts(c.file);
        const DetectionResult detected = DetectCurrentLine(kConstants);
        ASSERT_TRUE(detected.Ok) << c.name;
        EXPECT_EQ(detected.Choice, c.choice) << c.name;
        EXPECT_EQ(detected.PinnedAddress, c.address) << c.name;
    }
}

TEST_F(HostsFileTest, MissingFileIsAFailureWithTheSystemsText) {
    RemoveHosts();
    const DetectionResult detected = DetectCurrentLine(kConstants);
    EXPECT_FALSE(detected.Ok);
    EXPECT_EQ(detected.Failure.Code, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(detected.Failure.Path, HostsPath());
    EXPECT_EQ(detected.Failure.Description, ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(detected.Failure.Description.empty());
}

}  // namespace
}  // namespace hostline::win32
