#include "line_runs.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "hosts_rules.h"

namespace hostline {

LineRuns::LineRuns(Reader read, std::size_t capacity)
    : read_(std::move(read)), capacity_(capacity > 0 ? capacity : 1) {
    buffer_.reset(new char[capacity_]);
}

bool LineRuns::Fill() {
    // What is left is the start of a line longer than the rest of the buffer: move it to the
    // front, and make room when the line fills the whole buffer.
    if (start_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
        bufferOffset_ += start_;
        end_ -= start_;
        scanned_ -= std::min(scanned_, start_);
        start_ = 0;
    }
    if (end_ == capacity_) {
        std::unique_ptr<char[]> bigger(new char[capacity_ * 2]);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ *= 2;
    }
    std::size_t got = 0;
    if (!read_(buffer_.get() + end_, capacity_ - end_, got)) {
        failed_ = true;
        return false;
    }
    if (got == 0) atEnd_ = true;
    end_ += got;
    return true;
}

// Reads until the buffer holds the first kEncodingSample bytes, or the whole file if it is shorter.
bool LineRuns::ReadEncodingSample() {
    while (!atEnd_ && end_ < kEncodingSample) {
        if (!Fill()) return false;
    }
    const HostsFileParts parts = SplitHostsFile(std::string_view(buffer_.get(), std::min(end_, kEncodingSample)));
    encoding_ = parts.Encoding;
    markSize_ = parts.Mark.size();
    return true;
}

bool LineRuns::Next(std::string_view& run) {
    if (first_ && !failed_ && !ReadEncodingSample()) return false;
    for (;;) {
        const std::string_view pending(buffer_.get() + start_, end_ - start_);
        // Only the bytes read since the last look can end a line, and the one before them, which
        // may be a CR waiting for its LF: a long line costs one pass, not one per read.
        const std::size_t from = std::max(start_, scanned_ > 0 ? scanned_ - 1 : 0);
        const std::size_t found = WholeLinesEnd(std::string_view(buffer_.get() + from, end_ - from));
        const std::size_t whole = atEnd_ ? pending.size() : found > 0 ? from + found - start_ : 0;
        scanned_ = end_;
        if (whole > 0) {
            run = pending.substr(0, whole);
            runOffset_ = bufferOffset_ + start_;
            start_ += whole;
            if (first_) {
                first_ = false;
                // The mark holds no line terminator, so the first run, a whole line, holds all of it.
                run.remove_prefix(markSize_);
                runOffset_ += markSize_;
            }
            return true;
        }
        if (atEnd_ || failed_ || !Fill()) return false;
    }
}

namespace {

// Hands `take` each run of the file while it is read in runs (UTF-16 is read whole, an
// unrecognised file not at all) and `take` asks for more; the encoding and a failed read go into
// the result.
template <class Result, class Take>
Result InRuns(LineRuns& runs, Take take) {
    Result result;
    std::string_view run;
    while (runs.Next(run)) {
        result.Encoding = runs.Encoding();
        const bool inRuns = !IsUtf16(result.Encoding) && result.Encoding != HostsEncoding::Unrecognised;
        if (!inRuns || !take(run, result)) return result;
    }
    result.ReadFailed = runs.Failed();
    return result;
}

}  // namespace

StreamedDetection DetectLineInRuns(LineRuns& runs, const HostsConstants& constants) {
    return InRuns<StreamedDetection>(runs, [&](std::string_view run, StreamedDetection& result) {
        const DetectedLine found = DetectInLines(run, constants);
        if (found.Choice == LineChoice::Automatic) return true;
        result.Choice = found.Choice;
        return false;
    });
}

StreamedPrefix UnchangedPrefixInRuns(LineRuns& runs, const HostsConstants& constants) {
    return InRuns<StreamedPrefix>(runs, [&](std::string_view run, StreamedPrefix& result) {
        const std::size_t at = FirstChangedLine(run, constants);
        result.Unchanged = runs.RunOffset() + at;
        return at == run.size();  // nothing after the first change needs reading here
    });
}

}  // namespace hostline
