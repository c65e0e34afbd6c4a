// The differential check shared by the seeded property test and the fuzzer: the program's
// detection and new content, over the whole file and streamed the way a save reads and writes
// it, against the plain model in hosts_model.h. Buffer sizes are parameters, so that short inputs
// reach every boundary of the read runs and of the staging of the output.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "hosts_file.h"
#include "hosts_model.h"
#include "line_runs.h"

namespace hostline::testing {

// Serves `file` in reads of at most `step` bytes, failing after `failAfter` bytes if asked to.
inline LineRuns::Reader ServeFile(std::string_view file, std::size_t step,
                                  std::size_t failAfter = std::string_view::npos) {
    auto offset = std::make_shared<std::size_t>(0);
    return [file, step, failAfter, offset](char* into, std::size_t room, std::size_t& got) {
        if (*offset >= failAfter) return false;
        got = std::min({room, step, file.size() - *offset});
        file.copy(into, got, *offset);
        *offset += got;
        return true;
    };
}

// The program hands on only the choice; the address it decided by shows when line 1 is given
// that address. A UTF-16 file's address is given as its code units, one byte each.
inline bool DecidesBy(std::string_view file, std::string_view address, const HostsConstants& constants) {
    const HostsConstants addressAsLine1{constants.ServiceHost, address, address};
    const LineChoice expected = address.empty() ? LineChoice::Automatic : LineChoice::Line1;
    return DetectLine(file, addressAsLine1).Choice == expected;
}

class CollectedContent final : public ContentSink {
public:
    void Write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// The program's new content for the whole file, collected into one string.
inline std::string NewContent(std::string_view file, LineChoice choice, const HostsConstants& constants,
                              const BufferSizes& sizes = {}) {
    CollectedContent content;
    EmitNewContent(file, choice, constants, content, sizes);
    return std::move(content.text);
}

// An empty result means the program agrees with the model. `step` is the most one read returns.
inline std::string CompareWithModel(std::string_view file, LineChoice choice, const HostsConstants& constants,
                                    const BufferSizes& sizes, std::size_t step) {
    const std::string bytes(file);
    const model::Detected expected = model::Detect(bytes, constants);
    const DetectedLine whole = DetectLine(file, constants);
    const auto unrecognised = [](HostsEncoding encoding) { return encoding == HostsEncoding::Unrecognised; };
    if (unrecognised(whole.Encoding) != expected.Unrecognised) return "the program recognises another set of files";
    LineRuns detectRuns(ServeFile(file, step), sizes.ReadRun);
    const StreamedDetection streamed = DetectLineInRuns(detectRuns, constants);
    LineRuns prefixRuns(ServeFile(file, step), sizes.ReadRun);
    const StreamedPrefix prefix = UnchangedPrefixInRuns(prefixRuns, constants);
    if (expected.Unrecognised) {
        // Neither read nor saved, whatever the runs.
        const bool refused = unrecognised(streamed.Encoding) && unrecognised(prefix.Encoding);
        return refused ? "" : "a file of no known text is read in runs";
    }
    if (whole.Choice != expected.Choice) return "the detection differs";
    const model::File parsed = model::Parse(bytes);
    if (!parsed.Utf16 && !DecidesBy(file, expected.Address, constants)) return "the detection decides by another address";

    if (IsUtf16(streamed.Encoding) != parsed.Utf16 || IsUtf16(prefix.Encoding) != parsed.Utf16)
        return "the streamed reading takes another encoding";
    if (!parsed.Utf16 && streamed.Choice != expected.Choice) return "the streamed detection differs";

    const std::string content = model::NewContent(bytes, choice, constants);
    // A save either is refused, or writes what the next start reads as saved; the model tells which.
    const bool readsBack = model::ReadsBack(bytes, choice, constants);
    if (NewContentReadsBack(file, choice, constants) != readsBack)
        return readsBack ? "a save that reads back is refused" : "a save is not read back as saved";
    if (NewContent(file, choice, constants, sizes) != content) return "the new content differs";
    const DetectedLine next = DetectLine(content, constants);
    const bool sameKind = content.empty() || next.Encoding == whole.Encoding;
    if (readsBack && (!sameKind || next.Choice != model::Detect(content, constants).Choice))
        return "the program reads its save back otherwise";

    // A save reads in runs up to the first line that changes and writes only from there.
    if (prefix.ReadFailed || prefix.Unchanged > file.size()) return "the unchanged prefix is out of the file";
    // Nothing that stays is written again: the prefix reaches the first line that changes.
    if (prefix.Unchanged != model::UnchangedPrefix(bytes, constants)) return "the unchanged prefix differs";
    CollectedContent tail;
    const auto from = static_cast<std::size_t>(prefix.Unchanged);
    EmitNewTail(file.substr(from), from == 0, choice, constants, tail, sizes);
    if (bytes.substr(0, from) + tail.text != content) return "the streamed save differs";
    return {};
}

}  // namespace hostline::testing
