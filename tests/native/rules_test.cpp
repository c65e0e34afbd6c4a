// The rules one line at a time: whether a line maps the host, to which address, and what a save
// leaves of it. Every row goes through the program and through the plain model.
#include <gtest/gtest.h>

#include <string>

#include "hosts_file.h"
#include "hosts_model.h"
#include "hosts_properties.h"
#include "hosts_rules.h"
#include "test_support.h"

namespace hostline {
namespace {

using testing::kConstants;

struct LineCase {
    const char* name;
    std::string line;
    std::string address;  // the entry's address; empty when the line maps nothing to the host
    const char* kept;     // what a save leaves of an entry, before its CR LF; nullptr when it goes
};

TEST(EntryRules, WhichLinesMapTheHostAndWhatASaveLeavesOfThem) {
    const LineCase cases[] = {
        {"address space host", "1.2.3.4 " HOST, "1.2.3.4", nullptr},
        {"the form a save writes", "1.2.3.4\t\t" HOST, "1.2.3.4", nullptr},
        {"blanks around", "  1.2.3.4\t " HOST " \t ", "1.2.3.4", nullptr},
        {"letters in another case", "192.0.2.1 Service.Example.com", "192.0.2.1", nullptr},
        {"all capitals", "1.2.3.4 SERVICE.EXAMPLE.COM", "1.2.3.4", nullptr},
        {"one trailing dot", "1.2.3.4 " HOST ".", "1.2.3.4", nullptr},
        {"two trailing dots", "1.2.3.4 " HOST "..", "", nullptr},
        {"the host begins a longer name", "10.20.30.40 " HOST ".edgekey.net", "", nullptr},
        {"the host ends a longer name", "1.2.3.4 www." HOST, "", nullptr},
        {"the host inside a longer name", "1.2.3.4 x" HOST "x", "", nullptr},
        {"the host twice in one name", "192.0.2.1 " HOST HOST, "", nullptr},
        {"other names stay", "192.0.2.1 " HOST " www.example.com", "192.0.2.1", "192.0.2.1 www.example.com"},
        {"names before and after stay", "1.2.3.4\ta\t" HOST "\tb", "1.2.3.4", "1.2.3.4\ta\tb"},
        {"the host twice", "1.2.3.4 " HOST " " HOST, "1.2.3.4", nullptr},
        {"the host twice among others", "1.2.3.4 " HOST " a " HOST " b", "1.2.3.4", "1.2.3.4 a b"},
        {"a comment after the host", "192.0.2.1 " HOST "   # line 1", "192.0.2.1", nullptr},
        {"'#' right after the host", "1.2.3.4 " HOST "#pinned", "1.2.3.4", nullptr},
        {"a comment stays with other names", "  1.2.3.4  www.a.com  " HOST "  # pinned  ", "1.2.3.4",
         "  1.2.3.4  www.a.com  # pinned  "},
        {"tab before '#'", "1.2.3.4 a\t" HOST "\t#c", "1.2.3.4", "1.2.3.4 a\t#c"},
        {"the host in the comment only", "1.2.3.4 a # " HOST, "", nullptr},
        {"a commented-out entry", "  #1.2.3.4 " HOST, "", nullptr},
        {"a tab, then a comment", "\t# " HOST " is pinned below", "", nullptr},
        {"the host as the address", HOST " 1.2.3.4", "", nullptr},
        {"the host alone", "\t" HOST, "", nullptr},
        {"the host as address and name", "  " HOST "\t" HOST, HOST, nullptr},
        {"any first field is the address", "::1 " HOST, "::1", nullptr},
        {"the ideographic space is no separator", "1.2.3.4\xA1\xA1" HOST, "", nullptr},
        {"GBK name before the host", "1.2.3.4 \xD6\xD0\xCE\xC4 " HOST, "1.2.3.4", "1.2.3.4 \xD6\xD0\xCE\xC4"},
        // In GBK, B2 73 is one character whose second byte is the letter s: the host's own letters
        // can stand in a double-byte character right before or after it, never make it a name.
        {"GBK character before the name", "1.2.3.4 \xB2" HOST, "", nullptr},
        {"GBK character after the name", "1.2.3.4 " HOST "\xB2\x73", "", nullptr},
        {"GBK comment after the host", "1.2.3.4 " HOST " x #\xCF\xDF\xC2\xB7", "1.2.3.4", "1.2.3.4 x #\xCF\xDF\xC2\xB7"},
    };
    for (const LineCase& c : cases) {
        const DetectedLine detected = DetectLine(c.line, kConstants);
        const model::Detected modelled = model::Detect(c.line, kConstants);
        EXPECT_TRUE(testing::DecidesBy(c.line, c.address, kConstants)) << c.name;
        EXPECT_EQ(modelled.Address, c.address) << c.name << " (model)";
        EXPECT_EQ(detected.Choice == LineChoice::Automatic, c.address.empty()) << c.name;

        const std::string saved = c.address.empty() ? c.line + "\r\n" : c.kept ? std::string(c.kept) + "\r\n" : "";
        EXPECT_EQ(testing::NewContent(c.line, LineChoice::Automatic, kConstants), saved) << c.name;
        EXPECT_EQ(model::NewContent(c.line, LineChoice::Automatic, kConstants), saved) << c.name << " (model)";
    }
}

TEST(PinnedEntry, IsAddressTwoTabsHostCrLf) {
    EXPECT_EQ(PinnedEntry<char>("192.0.2.1", HOST), "192.0.2.1\t\t" HOST "\r\n");
    EXPECT_EQ(PinnedEntry<char16_t>(u"10.0.0.1", u"h"), u"10.0.0.1\t\th\r\n");
}

}  // namespace
}  // namespace hostline
