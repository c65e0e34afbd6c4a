// Reading in runs must give the same answers as reading the whole file, wherever the runs are
// cut: the tests use buffers of a few bytes so that lines, CR LF pairs and marks fall across them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "../test_support.h"
#include "hosts_file.h"
#include "line_runs.h"

namespace hostline {
namespace {

using testing::kConstants;

// Serves `file` in reads of at most `step` bytes, failing after `failAfter` bytes if asked to.
LineRuns::Reader ServeFile(const std::string& file, std::size_t step, std::size_t failAfter = std::string::npos) {
    auto offset = std::make_shared<std::size_t>(0);
    return [&file, step, failAfter, offset](char* into, std::size_t room, std::size_t& got) {
        if (*offset >= failAfter) return false;
        got = std::min({room, step, file.size() - *offset});
        file.copy(into, got, *offset);
        *offset += got;
        return true;
    };
}

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
    ASSERT_TRUE(runs.Next(run));
    EXPECT_EQ(runs.Encoding(), HostsEncoding::Utf8Bom);
    EXPECT_EQ(run, "a\r\n");
    EXPECT_EQ(runs.RunOffset(), 3u);
    ASSERT_TRUE(runs.Next(run));
    EXPECT_EQ(run, "b");
    EXPECT_EQ(runs.RunOffset(), 6u);
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

// Random files, random buffer sizes: the streamed answers equal the answers over the whole file.
TEST(LineRuns, StreamedAnswersEqualWholeFileAnswers) {
    const char* pieces[] = {HOST, HOST, " ", "\t", "#", "\r\n", "\n", "\r", "192.0.2.1", "10.0.0.1",
                            "x", "\xEF\xBB\xBF", "\xFF\xFE", "\xD6\xD0"};
    std::mt19937 random(7);
    for (int i = 0; i < 5000; ++i) {
        std::string file;
        const int count = static_cast<int>(random() % 40);
        for (int p = 0; p < count; ++p) file += pieces[random() % std::size(pieces)];
        const std::size_t capacity = 1 + random() % 16, step = 1 + random() % 16;

        LineRuns detectRuns(ServeFile(file, step), capacity);
        const StreamedDetection streamed = DetectLineInRuns(detectRuns, kConstants);
        const DetectedLine whole = DetectLine(file, kConstants);
        ASSERT_FALSE(streamed.ReadFailed);
        ASSERT_EQ(streamed.Utf16, IsUtf16(whole.Encoding));
        if (!streamed.Utf16) {
            ASSERT_EQ(streamed.Choice, whole.Choice) << file;
            ASSERT_EQ(streamed.Entry, whole.Entry) << file;
            ASSERT_EQ(streamed.Encoding, whole.Encoding) << file;
        }

        LineRuns prefixRuns(ServeFile(file, step), capacity);
        const StreamedPrefix prefix = UnchangedPrefixInRuns(prefixRuns, kConstants);
        ASSERT_FALSE(prefix.ReadFailed);
        ASSERT_EQ(prefix.Unchanged, UnchangedPrefix(file, kConstants)) << file;
    }
}

}  // namespace
}  // namespace hostline
