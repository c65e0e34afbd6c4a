#include <gtest/gtest.h>

#include <string>

#include "hosts_file.h"
#include "hosts_location.h"
#include "hosts_model.h"
#include "hosts_properties.h"
#include "hosts_rules.h"
#include "test_support.h"

namespace hostline {
namespace {

using testing::kConstants;
using testing::kEqualLines;

// The deciding address in the file's own encoding (the cases keep addresses ASCII).
std::string AddressBytes(const char* address, HostsEncoding encoding) {
    if (!IsUtf16(encoding)) return address;
    const std::string ascii(address);
    return testing::Utf16Bytes(std::u16string(ascii.begin(), ascii.end()), encoding == HostsEncoding::Utf16BE);
}

struct DetectCase {
    const char* name;
    std::string file;
    LineChoice choice;
    const char* address;
    HostsConstants constants = kConstants;
};

TEST(Detection, TheFirstEntryDecidesByItsAddress) {
    const DetectCase cases[] = {
        {"empty file", "", LineChoice::Automatic, ""},
        {"no entry", "127.0.0.1 localhost\r\n::1 localhost\r\n", LineChoice::Automatic, ""},
        {"line 1", "192.0.2.1\t\t" HOST "\r\n", LineChoice::Line1, "192.0.2.1"},
        {"line 2", "198.51.100.1 " HOST, LineChoice::Line2, "198.51.100.1"},
        {"other address", "10.1.1.1\t\t" HOST "\r\n", LineChoice::Other, "10.1.1.1"},
        {"an address that starts like line 1", "192.0.2.10 " HOST, LineChoice::Other, "192.0.2.10"},
        {"line 1 cut short", "192.0.2. " HOST, LineChoice::Other, "192.0.2."},
        {"trailing comment", "192.0.2.1 " HOST " # mine\r\n", LineChoice::Line1, "192.0.2.1"},
        {"other names beside the host", "198.51.100.1 a.example " HOST " b.example\r\n", LineChoice::Line2,
         "198.51.100.1"},
        {"first entry decides", "198.51.100.1 " HOST "\n192.0.2.1 " HOST "\n", LineChoice::Line2, "198.51.100.1"},
        {"first entry decides whatever its case", "192.0.2.1 Service.Example.com\r\n198.51.100.1\t\t" HOST "\r\n",
         LineChoice::Line1, "192.0.2.1"},
        {"commented out", "# 192.0.2.1 " HOST "\r\n", LineChoice::Automatic, ""},
        {"commented after spaces", "   #192.0.2.1 " HOST "\r\n", LineChoice::Automatic, ""},
        {"a comment after a tab, then the entry", "\t# " HOST " is pinned below\r\n192.0.2.1 " HOST "\r\n",
         LineChoice::Line1, "192.0.2.1"},
        {"an address that is no line's", "  " HOST "\t" HOST "\r\n192.0.2.1 " HOST, LineChoice::Other, HOST},
        {"the host alone", "\t" HOST "\r\n", LineChoice::Automatic, ""},
        {"IPv6 is another address", "::1 " HOST "\r\n192.0.2.1 " HOST, LineChoice::Other, "::1"},
        {"equal line addresses give line 1", "10.0.0.1 " HOST, LineChoice::Line1, "10.0.0.1", kEqualLines},
        {"longer name", "192.0.2.1 " HOST ".cn\r\n", LineChoice::Automatic, ""},
        {"name ending with the host", "192.0.2.1 my" HOST "\r\n", LineChoice::Automatic, ""},
        {"surrounding spaces", " 192.0.2.1  " HOST "  ", LineChoice::Line1, "192.0.2.1"},
        {"lone CR lines", "# x\r192.0.2.1 " HOST "\r", LineChoice::Line1, "192.0.2.1"},
        {"entry on the last line without terminator", "# x\n\n198.51.100.1\t" HOST, LineChoice::Line2,
         "198.51.100.1"},
        {"GBK comments", "# \xD6\xD0\xCE\xC4\xD7\xA2\xCA\xCD\r\n192.0.2.1 " HOST "\r\n", LineChoice::Line1, "192.0.2.1"},
        {"GBK name beside the host", "192.0.2.1 " HOST " \xCF\xDF\xC2\xB7\r\n", LineChoice::Line1, "192.0.2.1"},
        {"UTF-8 without mark", "# \xE4\xB8\xAD\xE6\x96\x87\n192.0.2.1 " HOST "\n", LineChoice::Line1, "192.0.2.1"},
        {"UTF-8 mark before a first-line entry", "\xEF\xBB\xBF" "192.0.2.1 " HOST "\r\n", LineChoice::Line1, "192.0.2.1"},
        {"UTF-8 mark then comment", "\xEF\xBB\xBF# " HOST "\r\n", LineChoice::Automatic, ""},
        {"invalid bytes around", "\xFD\xFF\xFE\x80\r\n198.51.100.1 " HOST "\r\n\x81", LineChoice::Line2, "198.51.100.1"},
        {"NUL and 0x1A past the first bytes do not end the file",
         "#" + std::string(600, '-') + std::string("\r\n\0\x1A\r\n", 6) + "192.0.2.1 " HOST, LineChoice::Line1,
         "192.0.2.1"},
        {"UTF-16 LE", testing::Utf16File(u"# \u4E2D\u6587\r\n192.0.2.1\t\t" HOST "\r\n", false), LineChoice::Line1, "192.0.2.1"},
        {"UTF-16 BE", testing::Utf16File(u"198.51.100.1 " HOST "\n", true), LineChoice::Line2, "198.51.100.1"},
        {"UTF-16 other", testing::Utf16File(u"\t1.2.3.4 \u4E2D SERVICE.example.com. #", false), LineChoice::Other, "1.2.3.4"},
        {"UTF-16 with an odd last byte", testing::Utf16File(u"192.0.2.1 " HOST, false) + "x", LineChoice::Line1, "192.0.2.1"},
        {"UTF-16 mark alone", "\xFF\xFE", LineChoice::Automatic, ""},
        {"UTF-16 LE without a mark", testing::Utf16Bytes(u"127.0.0.1 localhost\r\n192.0.2.1 " HOST "\r\n", false),
         LineChoice::Line1, "192.0.2.1"},
        {"UTF-16 BE without a mark, Chinese first",
         testing::Utf16Bytes(u"# \u8FD9\u662F\u4E00\u4E2A\u6CE8\u91CA\r\n198.51.100.1 " HOST, true), LineChoice::Line2,
         "198.51.100.1"},
    };
    for (const auto& c : cases) {
        const DetectedLine detected = DetectLine(c.file, c.constants);
        EXPECT_EQ(detected.Choice, c.choice) << c.name;
        // The model the differential tests measure the program by must read these files alike.
        const model::Detected modelled = model::Detect(c.file, c.constants);
        EXPECT_EQ(modelled.Choice, c.choice) << c.name << " (model)";
        EXPECT_EQ(modelled.Address, AddressBytes(c.address, detected.Encoding)) << c.name << " (model)";
        EXPECT_TRUE(testing::DecidesBy(c.file, c.address, c.constants)) << c.name;
    }
}

// `pairs` byte pairs of text: the first `second` of them with a NUL second, the next `first` with a
// NUL first.
std::string NulPairs(std::size_t pairs, std::size_t second, std::size_t first) {
    std::string bytes;
    for (std::size_t i = 0; i < pairs; ++i)
        bytes += i < second ? std::string("a\0", 2) : i < second + first ? std::string("\0a", 2) : "ab";
    return bytes;
}

// Each row fails with the rule it stands at removed or moved: the sample's length by a pair (its
// last pair and the one after it), and the quarter and the eighth in both byte orders at, below and
// above the boundary.
TEST(Detection, RecognisesTheEncodingByItsMarkOrItsNuls) {
    const std::string latePast = std::string(kEncodingSample, 'x') + std::string("a\0", 2);
    const std::pair<std::string, HostsEncoding> cases[] = {
        {NulPairs(16, 4, 0), HostsEncoding::Utf16LE}, {NulPairs(16, 3, 0), HostsEncoding::Unrecognised},
        {NulPairs(16, 5, 0), HostsEncoding::Utf16LE}, {NulPairs(16, 8, 1), HostsEncoding::Utf16LE},
        {NulPairs(16, 7, 1), HostsEncoding::Unrecognised}, {NulPairs(16, 9, 1), HostsEncoding::Utf16LE},
        {NulPairs(16, 0, 4), HostsEncoding::Utf16BE}, {NulPairs(16, 0, 3), HostsEncoding::Unrecognised},
        {NulPairs(16, 1, 8), HostsEncoding::Utf16BE}, {NulPairs(16, 1, 7), HostsEncoding::Unrecognised},
        {NulPairs(16, 0, 5), HostsEncoding::Utf16BE}, {NulPairs(16, 1, 9), HostsEncoding::Utf16BE},
        {std::string(kEncodingSample - 2, 'x') + std::string("a\0", 2), HostsEncoding::Unrecognised},
        {"", HostsEncoding::Ansi},
        {std::string("a\0", 2), HostsEncoding::Utf16LE},
        {std::string("\0a\0b\0c\0\xD6", 7), HostsEncoding::Utf16BE},
        {testing::Utf16Bytes(u"\u4E2D\u4E2D\u4E2Dabc\r\n", false), HostsEncoding::Utf16LE},
        // U+6700 has a NUL in the other place; one among many is still UTF-16.
        {testing::Utf16Bytes(u"# \u6700\u65B0 hosts\r\n", false), HostsEncoding::Utf16LE},
        {testing::Utf16Bytes(u"\u4E2D\u4E2D\u4E2D\u4E2Da", false), HostsEncoding::Unrecognised},
        {std::string("\0\0\0\0", 4), HostsEncoding::Unrecognised},
        {std::string("127.0.0.1 localhost\0\r\n", 22), HostsEncoding::Unrecognised},
        {latePast, HostsEncoding::Ansi},
        {std::string("\xEF\xBB\xBF\0\0", 5), HostsEncoding::Utf8Bom},
        {std::string("ab\0", 3), HostsEncoding::Ansi},
        {"\xEF\xBB", HostsEncoding::Ansi},
        {"\xEF\xBB\xBF", HostsEncoding::Utf8Bom},
        {"\xFF\xFE", HostsEncoding::Utf16LE},
        {"\xFE\xFF" "a", HostsEncoding::Utf16BE},
        {"\xFF", HostsEncoding::Ansi},
        {"\xD6\xD0", HostsEncoding::Ansi},
    };
    for (const auto& [file, encoding] : cases) EXPECT_EQ(SplitHostsFile(file).Encoding, encoding) << file;
    const HostsFileParts odd = SplitHostsFile("\xFF\xFE" "ab" "c");
    EXPECT_EQ(odd.Body, "ab");
    EXPECT_EQ(odd.OddByte, "c");
}

// The hosts file lies only under an absolute system directory: an empty one (the system would not
// say) or a relative one would name a file on whatever drive or folder is current.
TEST(Location, OnlyUnderAnAbsoluteSystemDirectory) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Windows\\system32", L"C:\\Windows\\system32\\drivers\\etc\\hosts"},
        {L"\\\\server\\share\\Windows\\system32", L"\\\\server\\share\\Windows\\system32\\drivers\\etc\\hosts"},
        {L"", L""},
        {L"Windows\\system32", L""},
        {L"\\Windows\\system32", L""},
        {L"C:Windows", L""},
        {L"1:\\Windows", L""},
        {L"\\\\\\Windows\\system32", L""},
    };
    for (const auto& [directory, path] : cases) EXPECT_EQ(HostsPathUnder(directory), path);
}

}  // namespace
}  // namespace hostline
