#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "change_finder.h"
#include "hosts_file.h"
#include "hosts_model.h"
#include "hosts_properties.h"
#include "line_runs.h"
#include "test_support.h"

namespace hostline {
namespace {

using testing::kConstants;
using testing::kEqualLines;

const std::string kPin1 = "192.0.2.1\t\t" HOST "\r\n";
// A first line long enough that what follows lies past the bytes that tell the encoding.
const std::string kLongComment = "#" + std::string(600, '-') + "\r\n";
const std::string kPin2 = "198.51.100.1\t\t" HOST "\r\n";

// One input, the expected new content for each of the three choices that write.
struct ChangeCase {
    const char* name;
    std::string file;
    std::string automatic;  // Line1 and Line2 add their pinned entry after it
};

TEST(LineChange, EveryChoiceOverTheSameFiles) {
    const ChangeCase cases[] = {
        {"empty file", "", ""},
        {"no entries, CR LF kept", "# hosts\r\n127.0.0.1 localhost\r\n", "# hosts\r\n127.0.0.1 localhost\r\n"},
        {"last line without terminator gains one", "a\r\nb", "a\r\nb\r\n"},
        {"lone LF and lone CR become CR LF", "a\nb\rc\r\n", "a\r\nb\r\nc\r\n"},
        {"LF CR makes an empty line", "a\n\rb", "a\r\n\r\nb\r\n"},
        {"only terminators", "\r\n\n\r", "\r\n\r\n\r\n"},
        {"empty lines and spaces stay", "\r\n  \r\n\t x \t\r\n", "\r\n  \r\n\t x \t\r\n"},
        {"an entry for another address goes", "a\r\n10.0.0.1 " HOST "\r\nb\r\n", "a\r\nb\r\n"},
        {"CR CR LF is an empty line", "a\r\r\nb", "a\r\n\r\nb\r\n"},
        {"entries of every shape go",
         "1.1.1.1 " HOST " # pinned\r\n"
         "2.2.2.2 SERVICE.example.COM\n"
         "\t3.3.3.3 " HOST ".\r"
         "  4.4.4.4\t" HOST "  \r\n"
         "5.5.5.5 " HOST " " HOST "#x\r\n"
         "keep\r\n",
         "keep\r\n"},
        {"other names on an entry stay",
         "1.1.1.1 a " HOST " b # c\n2.2.2.2\t" HOST "\tshort\r\n",
         "1.1.1.1 a b # c\r\n2.2.2.2\tshort\r\n"},
        {"comments naming the host stay",
         "# 1.1.1.1 " HOST "\r\n  #x " HOST "\n\t# " HOST " is pinned below\r\n1.1.1.1 a # " HOST "\r\n",
         "# 1.1.1.1 " HOST "\r\n  #x " HOST "\r\n\t# " HOST " is pinned below\r\n1.1.1.1 a # " HOST "\r\n"},
        {"lines that only look like entries stay",
         HOST " 1.1.1.1\r\n1.1.1.1 www." HOST "\r\n10.20.30.40 " HOST ".edgekey.net\r\n"
         "1.1.1.1 " HOST HOST "\r\n\t" HOST "\r\n",
         HOST " 1.1.1.1\r\n1.1.1.1 www." HOST "\r\n10.20.30.40 " HOST ".edgekey.net\r\n"
         "1.1.1.1 " HOST HOST "\r\n\t" HOST "\r\n"},
        {"the pinned entry already there", "a\r\n192.0.2.1\t\t" HOST "\r\nb\r\n", "a\r\nb\r\n"},
        {"entry on the last line without terminator", "a\r\n1.1.1.1 " HOST, "a\r\n"},
        {"entry ended by a lone CR", "1.1.1.1 " HOST "\rb", "b\r\n"},
        {"GBK bytes kept", "# \xD6\xD0\xCE\xC4\r\n1.1.1.1 \xB2" HOST "\r\n", "# \xD6\xD0\xCE\xC4\r\n1.1.1.1 \xB2" HOST "\r\n"},
        {"GBK name beside the host stays", "1.1.1.1 \xCF\xDF\xC2\xB7 " HOST "\r\n", "1.1.1.1 \xCF\xDF\xC2\xB7\r\n"},
        {"UTF-8 without mark kept", "# \xE4\xB8\xAD\n1.1.1.1 " HOST " #\xE7\xBA\xBF\n", "# \xE4\xB8\xAD\r\n"},
        // Past the bytes that tell the encoding, a NUL is a byte like any other, no separator.
        {"invalid bytes, NUL and 0x1A kept", kLongComment + std::string("\xFD\x80\0\x1A\n1.1.1.1\0 ", 14) + HOST "\n",
         kLongComment + std::string("\xFD\x80\0\x1A\r\n", 6)},
    };
    // The model that the differential tests measure the program by has to pass the same table.
    for (const auto& c : cases) {
        const std::pair<LineChoice, std::string> expected[] = {
            {LineChoice::Automatic, c.automatic}, {LineChoice::Line1, c.automatic + kPin1}, {LineChoice::Line2, c.automatic + kPin2}};
        for (const auto& [choice, content] : expected) {
            EXPECT_EQ(testing::NewContent(c.file, choice, kConstants), content) << c.name;
            EXPECT_EQ(model::NewContent(c.file, choice, kConstants), content) << c.name << " (model)";
        }
    }
}

TEST(LineChange, MarksAndEncodingsSurviveTheRewrite) {
    using testing::Utf16Bytes;
    using testing::Utf16File;
    const std::string mark = "\xEF\xBB\xBF";
    const struct {
        const char* name;
        std::string file;
        LineChoice choice;
        std::string expected;
    } cases[] = {
        {"UTF-8 mark stays in front", mark + "1.1.1.1 " HOST "\n# \xE4\xB8\xAD", LineChoice::Line1,
         mark + "# \xE4\xB8\xAD\r\n" + kPin1},
        {"UTF-8 mark alone", mark, LineChoice::Automatic, mark},
        // A file without a mark whose first kept line starts with the bytes of a UTF-16 mark would
        // be read as UTF-16 next time; an empty line in front keeps it what it is.
        {"FF FE after a dropped first line", "1.1.1.1 " HOST "\n\xFF\xFEx\n", LineChoice::Automatic, "\r\n\xFF\xFEx\r\n"},
        {"FE FF after a dropped first line", "1.1.1.1 " HOST "\n\xFE\xFF", LineChoice::Line1, "\r\n\xFE\xFF\r\n" + kPin1},
        {"UTF-16 LE", Utf16File(u"# \u4E2D\n1.1.1.1 " HOST "\r\nx"), LineChoice::Line2,
         Utf16File(u"# \u4E2D\r\nx\r\n198.51.100.1\t\t" HOST "\r\n")},
        {"UTF-16 BE", Utf16File(u"a\r1.1.1.1\t" HOST, true), LineChoice::Line1,
         Utf16File(u"a\r\n192.0.2.1\t\t" HOST "\r\n", true)},
        {"UTF-16 entry with other names", Utf16File(u"1.1.1.1 \u4E2D Service.Example.COM. b # \u6587\r\n"),
         LineChoice::Automatic, Utf16File(u"1.1.1.1 \u4E2D b # \u6587\r\n")},
        {"UTF-16 mark alone", "\xFF\xFE", LineChoice::Automatic, "\xFF\xFE"},
        // An odd last byte is no code unit of any line; it is kept, after the new lines.
        {"UTF-16 odd last byte", Utf16File(u"a\r\n") + "z", LineChoice::Automatic, Utf16File(u"a\r\n") + "z"},
        // A UTF-16 unit whose low byte is a CR or LF is no terminator.
        {"UTF-16 units holding CR and LF bytes", Utf16File(u"\u0D0A\u0A0D"), LineChoice::Automatic,
         Utf16File(u"\u0D0A\u0A0D\r\n")},
        // Without a mark, UTF-16 is told by its NULs, and written back without one.
        {"UTF-16 LE without a mark", Utf16Bytes(u"127.0.0.1 localhost\r\n192.0.2.1 " HOST "\r\n", false),
         LineChoice::Automatic, Utf16Bytes(u"127.0.0.1 localhost\r\n", false)},
        {"UTF-16 BE without a mark", Utf16Bytes(u"# \u4E2D\n1.1.1.1\t" HOST "\r\n", true), LineChoice::Line2,
         Utf16Bytes(u"# \u4E2D\r\n198.51.100.1\t\t" HOST "\r\n", true)},
        // ...unless what is left would not be told so: here a Chinese line with too few NULs.
        {"UTF-16 without a mark gets one to stay readable",
         Utf16Bytes(u"1.1.1.1 " HOST "\r\n" + std::u16string(60, u'\u4E2D') + u"\r\n", false), LineChoice::Automatic,
         Utf16File(std::u16string(60, u'\u4E2D') + u"\r\n")},
        {"UTF-16 without a mark, first kept unit a mark", Utf16Bytes(u"1.1.1.1 " HOST "\n\uFEFFx", false),
         LineChoice::Automatic, Utf16File(u"\uFEFFx\r\n")},
        // NULs that fit no UTF-16: the file comes out as it is, and the save does not write it.
        {"NULs of no known text", "1.1.1.1 " HOST + std::string("\0\0\r\n\0", 5), LineChoice::Line1,
         "1.1.1.1 " HOST + std::string("\0\0\r\n\0", 5)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testing::NewContent(c.file, c.choice, kConstants), c.expected) << c.name;
        EXPECT_EQ(model::NewContent(c.file, c.choice, kConstants), c.expected) << c.name << " (model)";
    }
}

TEST(LineChange, EqualLineAddressesPinTheSameEntry) {
    const std::string pin = "10.0.0.1\t\t" HOST "\r\n";
    EXPECT_EQ(testing::NewContent("x\n", LineChoice::Line1, kEqualLines), "x\r\n" + pin);
    EXPECT_EQ(testing::NewContent("x\n", LineChoice::Line2, kEqualLines), "x\r\n" + pin);
}

TEST(LineChange, SavingTwiceChangesNothingMore) {
    for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2}) {
        const std::string once = testing::NewContent("a\n1.1.1.1 " HOST "\rb", choice, kConstants);
        EXPECT_EQ(testing::NewContent(once, choice, kConstants), once);
        const DetectedLine detected = DetectLine(once, kConstants);
        EXPECT_EQ(detected.Choice, choice);
    }
}

// The new content reads back as saved unless the save moves NULs into the bytes that tell the
// encoding; a NUL that stays past them is no reason (the save is refused where it does not).
TEST(LineChange, NewContentReadsBackUnlessItsNulsMoveIntoTheSample) {
    std::vector<std::pair<std::string, bool>> cases = {
        {kLongComment + std::string("\0\r\n", 3) + "1.1.1.1 " HOST "\r\n", true}};
    for (const std::string& file : testing::FilesWhoseNulsASaveMoves()) cases.push_back({file, false});
    for (const auto& [file, readsBack] : cases) {
        for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2}) {
            EXPECT_EQ(NewContentReadsBack(file, choice, kConstants), readsBack) << file.size();
            EXPECT_EQ(model::ReadsBack(file, choice, kConstants), readsBack) << file.size() << " (model)";
        }
    }
}

struct PrefixCase {
    const char* name;
    std::string file;
    std::size_t unchanged;
};

TEST(LineChange, OnlyWhatChangesIsWrittenAgain) {
    const std::string entry = "1.1.1.1 " HOST "\r\n";
    const PrefixCase cases[] = {
        {"empty file", "", 0},
        {"all CR LF, no entry", "a\r\nb\r\n", 6},
        {"entry in the middle", "a\r\n" + entry + "b\r\n", 3},
        {"entry first", entry + "b\r\n", 0},
        {"lone LF before the entry", "a\r\nb\nc\r\n" + entry, 3},
        {"last line without terminator", "a\r\nb", 3},
        {"comment naming the host stays", "# " HOST "\r\n" + entry, 2 + 19 + 2},
        {"UTF-8 mark is never rewritten", "\xEF\xBB\xBF" + entry, 3},
        {"UTF-16 is rewritten whole", std::string("\xFF\xFE" "a\0\r\0\n\0", 8), 0},
    };
    for (const auto& c : cases) {
        LineRuns runs(testing::ServeFile(c.file, 2), 4);
        EXPECT_EQ(UnchangedPrefixInRuns(runs, testing::kConstants).Unchanged, c.unchanged) << c.name;
        for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1}) {
            EXPECT_EQ(testing::CompareWithModel(c.file, choice, testing::kConstants, {}, 2), "") << c.name;
        }
    }
}

// Keeps what the comparer hands on; `inOrder` turns false at a piece out of place or of the wrong size.
struct RecordedChanges final : ChangeFinder {
    RecordedChanges(std::uint64_t from, std::string_view old, std::size_t piece) : ChangeFinder(from, old, piece), piece(piece) {}
    bool Begin(std::uint64_t at) override { return first = at, true; }
    bool Changed(std::uint64_t at, std::string_view bytes) override {
        inOrder = inOrder && at == first + changed.size() && !bytes.empty() && bytes.size() <= piece;
        return changed += bytes, true;
    }
    std::size_t piece;
    std::uint64_t first = 0;  // where Begin was called
    std::string changed;      // and all that came after it
    bool inOrder = true;
};

TEST(LineChange, TheComparerAgreesWithMismatchAtEveryPieceSize) {
    std::mt19937 random(26);
    const std::size_t sizes[] = {1, 2, 7, kMaxTransfer - 1, kMaxTransfer, kMaxTransfer + 1};
    const auto bytes = [&](std::size_t most) {
        std::string text(random() % (most + 1), 'a');
        for (char& c : text) c = static_cast<char>('a' + random() % 2);
        return text;
    };
    int i = 0;
    for (const std::size_t piece : sizes) {
        for (const std::size_t feed : sizes) {
            for (int round = 0; round < 3; ++round, ++i) {
                const std::size_t from = random() % 3000;
                const std::string old = bytes(i % 3 ? 40 : 2 * kMaxTransfer + 2);
                const std::string now =
                    i % 5 ? old.substr(0, random() % (old.size() + 1)) + bytes(i % 2 ? 9 : kMaxTransfer + 9) : old;
                RecordedChanges finder(from, old, piece);
                for (std::size_t at = 0; at < now.size(); at += feed) finder.Write(std::string_view(now).substr(at, feed));
                const auto same =
                    static_cast<std::size_t>(std::mismatch(now.begin(), now.end(), old.begin(), old.end()).first - now.begin());
                EXPECT_EQ(finder.Differs(), now != old) << i;
                EXPECT_EQ(finder.End(), from + now.size()) << i;
                EXPECT_TRUE(finder.inOrder) << i;
                EXPECT_TRUE(finder.changed == now.substr(same)) << i;
                EXPECT_EQ(finder.Began(), same < now.size()) << i;
                EXPECT_TRUE(!finder.Began() || finder.first == from + same) << i;
            }
        }
    }
}

}  // namespace
}  // namespace hostline
