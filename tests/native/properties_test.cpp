// Random and mutated hosts files from a fixed seed: any failure reproduces with the printed case.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "../hosts_properties.h"
#include "../test_support.h"

namespace hostline {
namespace {

using testing::CheckRewrite;
using testing::kConstants;
using testing::kEqualLines;

// Pieces that hosts files are made of, weighted towards the ones the rules care about.
const char* const kPieces[] = {
    HOST, HOST, HOST, " ", " ", "\t", "#", "\r\n", "\r\n", "\n", "\r", "192.0.2.1", "198.51.100.1",
    "10.0.0.1", "127.0.0.1 localhost", "www.", ".cn", "\xD6\xD0\xCE\xC4", "\xB2", "\xE4\xB8\xAD",
    "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", "\x1A", "x",
};

std::string RandomHostsFile(std::mt19937& random) {
    std::uniform_int_distribution<int> pieceCount(0, 60);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    std::string file;
    const int count = pieceCount(random);
    for (int i = 0; i < count; ++i) {
        if (percent(random) < 5) {
            file += static_cast<char>(byte(random));
        } else if (percent(random) < 3) {
            file += '\0';
        } else {
            file += kPieces[piece(random)];
        }
    }
    // Mutations of real structure: flip a byte or cut the file short.
    if (!file.empty() && percent(random) < 20) file[random() % file.size()] = static_cast<char>(byte(random));
    if (!file.empty() && percent(random) < 10) file.resize(random() % file.size());
    return file;
}

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

TEST(Properties, HoldForRandomHostsFiles) {
    std::mt19937 random(20261208);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string file = RandomHostsFile(random);
        const HostsConstants& constants = i % 10 == 0 ? kEqualLines : kConstants;
        for (const LineChoice choice : {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2}) {
            std::string problem = CheckRewrite(file, choice, constants);
            if (problem.empty()) problem = testing::CheckPartialRewrite(file, choice, constants);
            ASSERT_EQ(problem, "") << "case " << i << ", choice " << static_cast<int>(choice) << ": \""
                                   << Escaped(file) << '"';
            ++checked;
        }
    }
    EXPECT_EQ(checked, 60000);
}

// The checker itself must notice a rewrite that loses or adds a line.
TEST(Properties, CheckerCatchesALostLine) {
    const std::string_view host = HOST;
    EXPECT_NE(testing::CompareKeptLines<char>("a\r\nb\r\n", "a\r\n", LineChoice::Automatic, host), "");
    EXPECT_NE(testing::CompareKeptLines<char>("a\r\n", "a\r\nb\r\n", LineChoice::Automatic, host), "");
    EXPECT_NE(testing::CompareKeptLines<char>("a\r\n", "a\r\n", LineChoice::Line1, host), "");
    EXPECT_EQ(testing::CompareKeptLines<char>("a\n1.1.1.1 " HOST "\n", "a\r\n", LineChoice::Automatic, host), "");
}

}  // namespace
}  // namespace hostline
