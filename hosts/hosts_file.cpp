#include "hosts_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "hosts_rules.h"

namespace hostline {

namespace {

template <class Unit>
LineChoice ChoiceForAddress(Text<Unit> address, const HostsConstants& constants) {
    const auto equals = [&](std::string_view ascii) {
        return address.size() == ascii.size() &&
               std::equal(address.begin(), address.end(), ascii.begin(),
                          [](Unit a, char b) { return a == Unit(static_cast<unsigned char>(b)); });
    };
    if (address.empty()) return LineChoice::Automatic;
    if (equals(constants.Line1Address)) return LineChoice::Line1;
    if (equals(constants.Line2Address)) return LineChoice::Line2;
    return LineChoice::Other;
}

// The first host entry decides, by its address.
template <class Unit>
LineChoice DecidingChoice(Text<Unit> body, const HostsConstants& constants) {
    const auto host = Widen<Unit>(constants.ServiceHost);
    HostEntryScanner<Unit> scanner(body, host);
    HostEntry entry;
    if (!scanner.Next(entry)) return LineChoice::Automatic;
    return ChoiceForAddress<Unit>(body.substr(entry.AddressStart, entry.AddressEnd - entry.AddressStart), constants);
}

// Appends lines that start at the start of `region`, each with CR LF after it. Runs of lines
// that already end in CR LF are copied in one piece.
template <class Unit, class Out>
void AppendWithCrLf(Out& out, Text<Unit> region) {
    static constexpr Unit kCrLf[] = {Unit('\r'), Unit('\n')};
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < region.size()) {
        const std::size_t at = FindTerminator(region, pos);
        if (at == region.size()) {
            out.append(region.substr(runStart));
            out.append(Text<Unit>(kCrLf, 2));
            return;
        }
        if (TerminatorLength(region, at) == 2) {
            pos = at + 2;
            continue;
        }
        out.append(region.substr(runStart, at - runStart));
        out.append(Text<Unit>(kCrLf, 2));
        pos = runStart = at + 1;
    }
    out.append(region.substr(runStart));
}

template <class Unit, class Out>
void AppendNewLines(Out& out, Text<Unit> body, LineChoice choice, const HostsConstants& constants) {
    const auto host = Widen<Unit>(constants.ServiceHost);
    HostEntryScanner<Unit> scanner(body, host);
    std::size_t kept = 0;
    HostEntry entry;
    while (scanner.Next(entry)) {
        AppendWithCrLf<Unit>(out, body.substr(kept, entry.LineStart - kept));
        AppendWithoutHost<Unit>(out, body.substr(entry.LineStart, entry.LineEnd - entry.LineStart), host);
        kept = entry.LineEnd + TerminatorLength(body, entry.LineEnd);
    }
    AppendWithCrLf<Unit>(out, body.substr(kept));
    if (choice == LineChoice::Line1 || choice == LineChoice::Line2) {
        const auto address = Widen<Unit>(choice == LineChoice::Line1 ? constants.Line1Address
                                                                     : constants.Line2Address);
        const auto pinned = PinnedEntry<Unit>(address, host);
        out.append(Text<Unit>(pinned));
    }
}

// Gathers the small pieces of the new content (line terminators, lines of files that need new
// terminators) in a small buffer and passes long unchanged runs straight through, so a save
// writes most of a big file from the bytes it read, and nothing the size of the file is
// allocated a second time.
class StagedOutput {
public:
    StagedOutput(ContentSink& sink, bool guardUtf16Mark, std::size_t capacity)
        : sink_(sink), capacity_(capacity > 0 ? capacity : 1), buffer_(new char[capacity_]), guarding_(guardUtf16Mark) {}

    void append(std::string_view bytes) {
        if (guarding_) bytes = TakeHead(bytes);
        Put(bytes);
    }

    void Finish() {
        if (guarding_) {
            guarding_ = false;
            Put(std::string_view(head_, headSize_));
        }
        Flush();
    }

private:
    // A file without a mark whose first kept line starts with the bytes of a UTF-16 mark would
    // be taken for UTF-16 by the next reader; an empty line in front keeps it what it is. The
    // first two bytes are held back until it is known what they are.
    std::string_view TakeHead(std::string_view bytes) {
        while (headSize_ < 2 && !bytes.empty()) {
            head_[headSize_++] = bytes.front();
            bytes.remove_prefix(1);
        }
        if (headSize_ < 2) return bytes;
        guarding_ = false;
        const std::string_view head(head_, 2);
        if (head == kUtf16LEMark || head == kUtf16BEMark) Put("\r\n");
        Put(head);
        return bytes;
    }

    void Put(std::string_view bytes) {
        if (bytes.empty()) return;  // an empty view may have no data pointer at all
        // A long piece goes straight to the sink, but only once everything staged before it has
        // gone: the sink must receive the bytes in the order they were put.
        const bool passThrough = bytes.size() >= capacity_ / 2;
        if (passThrough || bytes.size() > capacity_ - size_) Flush();
        if (passThrough) {
            sink_.Write(bytes);
            return;
        }
        std::memcpy(buffer_.get() + size_, bytes.data(), bytes.size());
        size_ += bytes.size();
    }

    void Flush() {
        if (size_ == 0) return;
        sink_.Write(std::string_view(buffer_.get(), size_));
        size_ = 0;
    }

    ContentSink& sink_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    bool guarding_;
    char head_[2] = {};
    std::size_t headSize_ = 0;
};

// Keeps the first bytes of the new content, as many as the next start looks at for NULs.
class HeadOfContent final : public ContentSink {
public:
    void Write(std::string_view bytes) override {
        bytes_.append(bytes.substr(0, kEncodingSample - std::min(kEncodingSample, bytes_.size())));
    }
    bool Full() const { return bytes_.size() >= kEncodingSample; }
    std::string_view Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// The new content of a UTF-16 file, built whole in its byte order. One without a mark gets one
// only where it would otherwise be read back as something else: begun by the bytes of a mark, or
// with too few NULs left in its first bytes to be told as UTF-16.
std::string NewUtf16Content(const HostsFileParts& parts, LineChoice choice, const HostsConstants& constants) {
    const bool bigEndian = parts.Encoding == HostsEncoding::Utf16BE;
    std::u16string lines;
    lines.reserve(parts.Body.size() / 2 + parts.Body.size() / 16 + constants.ServiceHost.size() + 32);
    AppendNewLines<char16_t>(lines, DecodeUtf16(parts.Body, bigEndian), choice, constants);
    std::string bytes;
    bytes.reserve(2 + 2 * lines.size() + parts.OddByte.size());
    bytes.append(parts.Mark);
    bytes = EncodeUtf16(lines, bigEndian, std::move(bytes));
    bytes.append(parts.OddByte);
    if (parts.Mark.empty() && !bytes.empty()) {
        const HostsFileParts again = SplitHostsFile(bytes);
        if (again.Encoding != parts.Encoding || !again.Mark.empty())
            bytes.insert(0, bigEndian ? kUtf16BEMark : kUtf16LEMark);
    }
    return bytes;
}

}  // namespace

DetectedLine DetectLine(std::string_view file, const HostsConstants& constants) {
    const HostsFileParts parts = SplitHostsFile(file);
    DetectedLine result;
    result.Encoding = parts.Encoding;
    if (parts.Encoding == HostsEncoding::Unrecognised) return result;
    if (IsUtf16(parts.Encoding)) {
        const std::u16string units = DecodeUtf16(parts.Body, parts.Encoding == HostsEncoding::Utf16BE);
        result.Choice = DecidingChoice<char16_t>(units, constants);
    } else {
        result.Choice = DecidingChoice<char>(parts.Body, constants);
    }
    return result;
}

DetectedLine DetectInLines(std::string_view lines, const HostsConstants& constants) {
    DetectedLine result;
    result.Choice = DecidingChoice<char>(lines, constants);
    return result;
}

void EmitNewContent(std::string_view file, LineChoice choice, const HostsConstants& constants,
                    ContentSink& sink, const BufferSizes& sizes) {
    const HostsFileParts parts = SplitHostsFile(file);
    if (parts.Encoding == HostsEncoding::Unrecognised) {
        sink.Write(file);
        return;
    }
    if (IsUtf16(parts.Encoding)) {
        // UTF-16 files are rare and small; they are built whole in memory.
        sink.Write(NewUtf16Content(parts, choice, constants));
        return;
    }
    StagedOutput out(sink, parts.Encoding == HostsEncoding::Ansi, sizes.Staging);
    out.append(parts.Mark);
    AppendNewLines<char>(out, parts.Body, choice, constants);
    out.Finish();
}

bool NewContentReadsBack(std::string_view file, LineChoice choice, const HostsConstants& constants) {
    const HostsFileParts parts = SplitHostsFile(file);
    // A mark is written back in front of the lines, and a UTF-16 file without one gets one where
    // its new content would not be told as UTF-16 in the same order: only a file of bytes without a
    // mark is told by NULs that a save can move. Its new lines read back as they were built, so
    // the kind of text is all there is to check, and only the start of the content tells it.
    if (parts.Encoding != HostsEncoding::Ansi) return parts.Encoding != HostsEncoding::Unrecognised;
    for (std::size_t window = 2 * kEncodingSample;; window *= 2) {
        // Whole lines only, so that what they give is the start of the new content; the choice's
        // entry comes after the last line.
        const bool whole = window >= file.size();
        const std::string_view lines = whole ? file : file.substr(0, WholeLinesEnd(file.substr(0, window)));
        HeadOfContent head;
        StagedOutput out(head, true, kEncodingSample);
        AppendNewLines<char>(out, lines, whole ? choice : LineChoice::Automatic, constants);
        out.Finish();
        if (whole || head.Full()) return SplitHostsFile(head.Bytes()).Encoding == HostsEncoding::Ansi;
    }
}

std::size_t FirstChangedLine(std::string_view lines, const HostsConstants& constants) {
    const auto host = Widen<char>(constants.ServiceHost);
    HostEntryScanner<char> scanner(lines, host);
    HostEntry entry;
    const std::size_t firstEntry = scanner.Next(entry) ? entry.LineStart : lines.size();
    std::size_t line = 0;
    while (line < firstEntry) {
        const std::size_t at = FindTerminator<char>(lines, line);
        if (at == lines.size() || TerminatorLength<char>(lines, at) != 2) break;  // gains or changes its terminator
        line = at + 2;
    }
    return std::min(line, firstEntry);
}

void EmitNewTail(std::string_view tail, bool atFileStart, LineChoice choice, const HostsConstants& constants,
                 ContentSink& sink, const BufferSizes& sizes) {
    if (atFileStart) {
        EmitNewContent(tail, choice, constants, sink, sizes);
        return;
    }
    // Past the start the tail is lines of bytes: the mark and the guard against a UTF-16 look
    // belong to the prefix, which stays.
    StagedOutput out(sink, false, sizes.Staging);
    AppendNewLines<char>(out, Text<char>(tail), choice, constants);
    out.Finish();
}

}  // namespace hostline
