// Reading a file front to back through a small buffer, in runs of whole lines, so that the rules
// run on bytes that stay in the processor's cache and nothing the size of the file is allocated:
// mapping a big hosts file, or reading it into one new buffer whose pages all have to be faulted
// in first, costs several times the read itself (scripts/bench and README.md measure it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "hosts_file.h"

namespace hostline {

class LineRuns {
public:
    // Fills `into` with up to `room` bytes, sets `got` (0 at the end of the file); false on failure.
    using Reader = std::function<bool(char* into, std::size_t room, std::size_t& got)>;

    explicit LineRuns(Reader read, std::size_t capacity = BufferSizes{}.ReadRun);

    // The next run of whole lines, valid until the next call; only the last run of the file can
    // end in a line without terminator. The first run holds the whole first line and so any
    // byte-order mark, which it leaves out. False at the end of the file or on a failed read.
    bool Next(std::string_view& run);

    // The file's encoding, known from the first run on, which is not handed on before the bytes
    // that tell it (kEncodingSample) are read. UTF-16 files are not read in runs (their
    // terminators are not single bytes): the caller reads them whole, and an unrecognised one
    // not at all.
    HostsEncoding Encoding() const { return encoding_; }

    bool Failed() const { return failed_; }
    // Where the run last returned starts in the file.
    std::uint64_t RunOffset() const { return runOffset_; }

private:
    bool Fill();
    bool ReadEncodingSample();

    Reader read_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t start_ = 0;  // the bytes [start_, end_) are read but not handed on yet
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // [start_, scanned_) was looked at and ends no whole line
    std::uint64_t bufferOffset_ = 0;  // where buffer_[0] is in the file
    std::uint64_t runOffset_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
    bool first_ = true;
    HostsEncoding encoding_ = HostsEncoding::Ansi;
    std::size_t markSize_ = 0;  // the byte-order mark, left out of the first run
};

// The detection over a file read in runs. Stops at the deciding entry.
struct StreamedDetection {
    bool ReadFailed = false;
    // UTF-16 files are not read in runs (the caller reads them whole), nor unrecognised ones.
    HostsEncoding Encoding = HostsEncoding::Ansi;
    LineChoice Choice = LineChoice::Automatic;
};
StreamedDetection DetectLineInRuns(LineRuns& runs, const HostsConstants& constants);

// How many bytes at the start of a file read in runs a rewrite leaves exactly as they are:
// everything before the first line that it drops or edits, or whose terminator it changes (see
// FirstChangedLine), the byte-order mark included; always 0 for UTF-16 files. Reading stops at
// that line; the caller reads what follows into memory of its own.
struct StreamedPrefix {
    bool ReadFailed = false;
    HostsEncoding Encoding = HostsEncoding::Ansi;
    std::uint64_t Unchanged = 0;
};
StreamedPrefix UnchangedPrefixInRuns(LineRuns& runs, const HostsConstants& constants);

}  // namespace hostline
