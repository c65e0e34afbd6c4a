// Throughput of the start-up detection and the rewrite on big hosts files, next to the floor
// of the machine: counting the LF bytes of the same buffer with memchr.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>

#include "generated_hosts.h"
#include "hosts_file.h"
#include "test_support.h"

namespace {

using namespace hostline;

using testing::kConstants;

const std::string& File(int lines, const char* lineEnd = "\r\n") {
    static std::map<std::pair<int, std::string>, std::string> files;
    const auto key = std::make_pair(lines, std::string(lineEnd));
    auto it = files.find(key);
    if (it == files.end()) {
        bench::GeneratedHosts shape;
        shape.lines = lines;
        shape.lineEnd = lineEnd;
        it = files.emplace(key, bench::GeneratedHostsFile(shape)).first;
    }
    return it->second;
}

// Takes the new content as a save's file writer does, minus the system call: long runs come as
// views into the file read, short pieces through the 64 KiB staging buffer.
class WriterLikeSink final : public ContentSink {
public:
    void Write(std::string_view bytes) override {
        benchmark::DoNotOptimize(bytes.data());
        written += bytes.size();
    }
    std::size_t written = 0;
};

void Detect(benchmark::State& state) {
    const std::string& file = File(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(DetectLine(file, kConstants));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void RewriteFile(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
        WriterLikeSink sink;
        // A save whose first change lies among the bytes that tell the encoding checks first that
        // its content reads back.
        benchmark::DoNotOptimize(NewContentReadsBack(file, LineChoice::Line1, kConstants));
        EmitNewContent(file, LineChoice::Line1, kConstants, sink);
        benchmark::DoNotOptimize(sink.written);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void Rewrite(benchmark::State& state) {
    RewriteFile(state, File(static_cast<int>(state.range(0))));
}

// Lone LF endings: every kept line gains a CR, so every line goes through the staging buffer.
void RewriteLf(benchmark::State& state) {
    RewriteFile(state, File(static_cast<int>(state.range(0)), "\n"));
}

void BaselineLineCount(benchmark::State& state) {
    const std::string& file = File(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::size_t count = 0;
        const char* at = file.data();
        const char* const end = at + file.size();
        while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))))) {
            ++count;
            ++at;
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

BENCHMARK(Detect)->Name("detect")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(Rewrite)->Name("rewrite")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(RewriteLf)->Name("rewrite_lf")->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BaselineLineCount)->Name("baseline_line_count")->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
