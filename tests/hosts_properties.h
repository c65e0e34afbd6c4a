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
    if (whole.Choice != expected.Choice || whole.Address != expected.Address) return "the detection differs";

    const model::File parsed = model::Parse(bytes);
    if (IsUtf16(streamed.Encoding) != parsed.Utf16 || IsUtf16(prefix.Encoding) != parsed.Utf16)
        return "the streamed reading takes another encoding";
    if (!parsed.Utf16 && (streamed.Choice != expected.Choice || streamed.Address != expected.Address))
        return "the streamed detection differs";

    const std::string content = model::NewContent(bytes, choice, constants);
    // What any save promises, so that a fault shared by model and program still shows: the new
    // content reads back as the choice, and saving it again changes nothing. Not quite for a file
    // of bytes without a mark that holds NULs past the bytes that tell its encoding: when lines
    // before them go, they can move among those bytes, and the program then no longer reads it.
    const bool sameAddresses = constants.Line1Address == constants.Line2Address;
    const LineChoice readBack = choice == LineChoice::Line2 && sameAddresses ? LineChoice::Line1 : choice;
    const bool nulsMayMove = !parsed.Utf16 && parsed.Mark.empty() && bytes.find('\0') != std::string::npos;
    if (!nulsMayMove) {
        if (model::Detect(content, constants).Choice != readBack) return "the new content reads as another choice";
        if (model::NewContent(content, choice, constants) != content) return "a second save changes the content";
    }

    if (NewContent(file, choice, constants, sizes) != content) return "the new content differs";

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
