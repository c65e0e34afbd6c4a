// Reading in runs must hand on every byte, in whole lines and in order, wherever the runs are
// cut: the tests use buffers of a few bytes so that lines, CR LF pairs and marks fall across them.
// What the runs are used for is compared with the model in the property test.
#include <gtest/gtest.h>

#include <string>

#include "hosts_file.h"
#include "hosts_properties.h"
#include "hosts_rules.h"
#include "line_runs.h"
#include "test_support.h"

namespace hostline {
namespace {

using testing::kConstants;
using testing::ServeFile;

std::string Joined(const std::string& file, std::size_t capacity, std::size_t step) {
    LineRuns runs(ServeFile(file, step), capacity);
    std::string joined;
    std::string_view run;
    while (runs.Next(run)) {
        EXPECT_EQ(runs.RunOffset(), joined.size());
        joined.append(run);
    }
    return joined;
}

TEST(LineRuns, WholeLinesEndLeavesAHalfTerminatorForLater) {
    const std::pair<const char*, std::size_t> cases[] = {
        {"", 0}, {"abc", 0}, {"a\r\nb", 3}, {"a\nb\n", 4}, {"a\r", 0}, {"a\n\r", 2}, {"a\rb", 2}, {"\r\r", 1},
    };
    for (const auto& [data, end] : cases) EXPECT_EQ(WholeLinesEnd(data), end) << data;
}

TEST(LineRuns, RunsMakeUpTheFileWhateverTheBufferSize) {
    const std::string file = "# a comment\r\nlong line " + std::string(100, 'x') + "\r\n\r\nx\ry\nlast";
    for (const std::size_t capacity : {1u, 2u, 3u, 7u, 64u, 4096u})
        for (const std::size_t step : {1u, 3u, 1000u}) EXPECT_EQ(Joined(file, capacity, step), file);
}

TEST(LineRuns, TheMarkIsLeftOutOfTheFirstRun) {
    const std::string file = "\xEF\xBB\xBF" "a\r\nb";
    LineRuns runs(ServeFile(file, 2), 2);
    std::string_view run;
    // The first bytes are all read before anything is handed on: they tell the encoding.
    ASSERT_TRUE(runs.Next(run));
    EXPECT_EQ(runs.Encoding(), HostsEncoding::Utf8Bom);
    EXPECT_EQ(run, "a\r\nb");
    EXPECT_EQ(runs.RunOffset(), 3u);
    EXPECT_FALSE(runs.Next(run));
}

TEST(LineRuns, NoRunEndsBetweenCrAndLf) {
    const std::string file = "a\r\nb\r\nc\r\n";
    LineRuns runs(ServeFile(file, 2), 2);
    std::string_view run;
    while (runs.Next(run)) EXPECT_NE(run.back(), '\r') << "a run ended inside a CR LF";
}

TEST(LineRuns, AFailedReadIsReported) {
    const std::string file = "a\r\nb\r\nc\r\n";
    LineRuns runs(ServeFile(file, 3, 3), 4);
    std::string_view run;
    while (runs.Next(run)) {
    }
    EXPECT_TRUE(runs.Failed());
    LineRuns prefixRuns(ServeFile(file, 3, 3), 4);
    EXPECT_TRUE(UnchangedPrefixInRuns(prefixRuns, kConstants).ReadFailed);
}

}  // namespace
}  // namespace hostline
