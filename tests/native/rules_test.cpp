#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hosts_rules.h"
#include "../test_support.h"

namespace hostline {
namespace {

using Bytes = std::string_view;
const Bytes kHost = HOST;

std::vector<std::string> ReadLines(Bytes text) {
    std::vector<std::string> lines;
    LineReader<char> reader(text);
    Bytes line;
    while (reader.Next(line)) lines.emplace_back(line);
    return lines;
}

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

TEST(LineRule, SplitsOnCrLfLoneCrAndLoneLf) {
    const LinesCase cases[] = {
        {"empty file has no lines", "", {}},
        {"terminator at end makes no further line", "a\r\n", {"a"}},
        {"last line without terminator", "a\r\nb", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"lone LF", "a\nb\n", {"a", "b"}},
        {"LF CR is two terminators", "a\n\rb", {"a", "", "b"}},
        {"mixed", "a\r\n\r\nb\rc\nd", {"a", "", "b", "c", "d"}},
        {"only terminators", "\r\n\n\r", {"", "", ""}},
        {"NUL and 0x1A are ordinary", std::string("a\0b\x1A" "c\n", 6), {std::string("a\0b\x1A" "c", 5)}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadLines(c.text), c.lines) << c.name;
}

TEST(Trim, RemovesSpacesOnlyAtTheEnds) {
    const std::pair<Bytes, Bytes> cases[] = {
        {"  a b  ", "a b"}, {"\ta\t", "\ta\t"}, {"    ", ""}, {"", ""},
        {" \t# x ", "\t# x"}, {"\xA1\xA1x", "\xA1\xA1x"},  // GBK ideographic space is not a space
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(Trim(in), out) << '"' << in << '"';
}

struct EntryCase {
    const char* name;
    Bytes line;
    bool active;
    bool entry;
    const char* address;  // only for entries
};

TEST(EntryRules, ActiveLineHostEntryAndAddress) {
    const EntryCase cases[] = {
        {"spaces, #, then an entry is a comment", "  #1.2.3.4 " HOST, false, false, ""},
        {"tab before # keeps a line active", "\t# note " HOST, true, true, "# note"},
        {"address space host", "1.2.3.4 " HOST, true, true, "1.2.3.4"},
        {"address tab host", "1.2.3.4\t" HOST, true, true, "1.2.3.4"},
        {"the form a save writes", "1.2.3.4\t\t" HOST, true, true, "1.2.3.4"},
        {"surrounding spaces", "  1.2.3.4 " HOST "   ", true, true, "1.2.3.4"},
        {"trailing comment stays in the address", "1.2.3.4 " HOST " # pinned", true, true, "1.2.3.4  # pinned"},
        {"other names stay in the address", "1.2.3.4 other.name " HOST, true, true, "1.2.3.4 other.name"},
        {"longer name starting with the host", "1.2.3.4 " HOST "x", true, true, "1.2.3.4 x"},
        {"host name first", HOST " 1.2.3.4", true, false, ""},
        {"host name first after spaces", "   " HOST " 1.2.3.4", true, false, ""},
        {"other case", "1.2.3.4 Service.example.com", true, false, ""},
        {"a further label", "1.2.3.4 www." HOST, true, false, ""},
        {"spaces only", "     ", false, false, ""},
        {"empty", "", false, false, ""},
        {"tab only is active", "\t", true, false, ""},
        {"address made of the host alone", "\t" HOST, true, true, ""},
        {"host twice", "1.2.3.4 " HOST " " HOST, true, true, "1.2.3.4"},
        {"removal brings an occurrence together", "1.2.3.4 " HOST " service." HOST "example.com", true, true,
         "1.2.3.4  service.example.com"},
        {"tabs inside the address become spaces", "1.2.3.4\tx\t" HOST, true, true, "1.2.3.4 x"},
        {"ideographic space is no separator", "1.2.3.4\xA1\xA1" HOST, true, false, ""},
        {"GBK comment after the entry", "1.2.3.4 " HOST " #\xD6\xD0\xCE\xC4", true, true, "1.2.3.4  #\xD6\xD0\xCE\xC4"},
        {"UTF-8 text before the host", "1.2.3.4 \xE4\xB8\xAD " HOST, true, true, "1.2.3.4 \xE4\xB8\xAD"},
        {"NUL before the host", std::string_view("1.2.3.4\0 " HOST, 9 + kHost.size()), true, true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsActiveLine(c.line), c.active) << c.name;
        EXPECT_EQ(IsHostEntry(c.line, kHost), c.entry) << c.name;
        if (c.entry && c.line.find('\0') == Bytes::npos) {
            EXPECT_EQ(AddressOf(c.line, kHost), c.address) << c.name;
        }
    }
    EXPECT_EQ(AddressOf(Bytes("1.2.3.4\0 " HOST, 9 + kHost.size()), kHost), std::string("1.2.3.4\0", 8));
}

TEST(EntryRules, SameAnswersOnWideText) {
    const std::u16string host = u"" HOST;
    EXPECT_TRUE(IsHostEntry<char16_t>(u"1.2.3.4\t\t" HOST, host));
    EXPECT_FALSE(IsHostEntry<char16_t>(u"1.2.3.4\u3000" HOST, host));
    EXPECT_FALSE(IsHostEntry<char16_t>(u"  # 1.2.3.4 " HOST, host));
    EXPECT_EQ(AddressOf<char16_t>(u" 1.2.3.4 " HOST " #\u4E2D\u6587", host), u"1.2.3.4  #\u4E2D\u6587");
}

TEST(PinnedEntry, IsAddressTwoTabsHostCrLf) {
    EXPECT_EQ(PinnedEntry<char>("192.0.2.1", kHost), "192.0.2.1\t\t" HOST "\r\n");
    EXPECT_EQ(PinnedEntry<char16_t>(u"10.0.0.1", u"h"), u"10.0.0.1\t\th\r\n");
}

// The scanner finds entries by searching for the host; it must agree with the line-by-line rule
// on every line, whatever surrounds it.
TEST(HostEntryScanner, AgreesWithTheLineRule) {
    const Bytes text =
        "# " HOST "\r\n"
        "1.2.3.4 " HOST "\r\n"
        "   " HOST " x\n"
        "x\t" HOST "x\r"
        "  \t#" HOST "\r\n"
        "a www." HOST " b " HOST "\n"
        HOST "\n"
        "\t" HOST;
    std::vector<std::string> expected;
    LineReader<char> reader(text);
    Bytes line;
    while (reader.Next(line))
        if (IsHostEntry(line, kHost)) expected.emplace_back(line);

    std::vector<std::string> found;
    HostEntryScanner<char> scanner(text, kHost);
    std::size_t start = 0, end = 0;
    while (scanner.Next(start, end)) found.emplace_back(text.substr(start, end - start));
    EXPECT_EQ(found, expected);
    EXPECT_EQ(found.size(), 4u);
}

}  // namespace
}  // namespace hostline
