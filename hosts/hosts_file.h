// Detection and line change over hosts file bytes: the encoding is recognised from its byte-order
// mark or its NULs, the rules run on the lines, and the new content is handed in order to a
// writer. No platform calls here; the Win32 layer reads and writes the bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hostline {

enum class LineChoice { Automatic, Line1, Line2, Other };

// The three build-time constants, passed in so the rules can run with any host and addresses.
struct HostsConstants {
    std::string_view ServiceHost;   // ASCII, no space, tab, '#', CR or LF
    std::string_view Line1Address;  // dotted IPv4
    std::string_view Line2Address;
};

// A UTF-8 mark is kept in front of the lines; UTF-16 files, with a mark or without, are read and
// written as UTF-16 in their byte order. Without a mark, the NULs among the first bytes tell:
// none, the ANSI code page (or UTF-8 without a mark); a NUL in the same place of a quarter of the
// byte pairs or more, and in the other place at most an eighth as often, UTF-16 without a mark
// (a NUL second, as in ASCII text, is little-endian); any other NULs, text of no kind the
// program knows: it is neither read nor saved, so it can never be rewritten wrongly.
enum class HostsEncoding { Ansi, Utf8Bom, Utf16LE, Utf16BE, Unrecognised };

// How many bytes at the start of a file without a mark are looked at for NULs.
constexpr std::size_t kEncodingSample = 512;

inline bool IsUtf16(HostsEncoding encoding) {
    return encoding == HostsEncoding::Utf16LE || encoding == HostsEncoding::Utf16BE;
}

// The buffers that reading and writing go through. The program keeps the defaults; the tests
// make them a few bytes long, so that short inputs cross every boundary the code has.
struct BufferSizes {
    std::size_t ReadRun = 256 * 1024;  // the first size of the buffer a file is read through
    std::size_t Staging = 64 * 1024;   // where small pieces of new content gather before a write
};

struct HostsFileParts {
    HostsEncoding Encoding = HostsEncoding::Ansi;
    std::string_view Mark;  // the byte-order mark, written back in front of the new content
    std::string_view Body;  // the lines (all of an unrecognised file)
    std::string_view OddByte;  // a UTF-16 file's odd last byte, which is no code unit; kept at the end
};

HostsFileParts SplitHostsFile(std::string_view file);

struct DetectedLine {
    LineChoice Choice = LineChoice::Automatic;
    HostsEncoding Encoding = HostsEncoding::Ansi;
    // The bytes of the deciding host entry's address (its first field), in the file's encoding;
    // empty for Automatic.
    std::string_view Address;
};

// The first host entry decides; the bytes of `file` must outlive the result, since Address
// points into them. An Unrecognised file has no choice: the caller reads nothing into it.
DetectedLine DetectLine(std::string_view file, const HostsConstants& constants);

// The same over lines of bytes alone, without looking for a byte-order mark.
DetectedLine DetectInLines(std::string_view lines, const HostsConstants& constants);

// Receives the new content in order, in pieces. Long unchanged runs arrive as views into the
// file's own bytes, so they can be written without a copy.
class ContentSink {
public:
    virtual void Write(std::string_view bytes) = 0;

protected:
    ~ContentSink() = default;
};

// The new content for Automatic, Line1 or Line2: the host taken out of every host entry (an entry
// left without a name dropped), every other line kept byte for byte, every kept line with CR LF
// after it, and for a line its pinned entry at the end. Other has no new content, nor has an
// Unrecognised file (its bytes come out as they are); the caller writes neither. A UTF-16 file
// without a mark keeps none, unless its new content would then not be read back as UTF-16 in
// the same order. May throw std::bad_alloc.
void EmitNewContent(std::string_view file, LineChoice choice, const HostsConstants& constants,
                    ContentSink& sink, const BufferSizes& sizes = {});

// The start of the first of `lines` (bytes, no mark) that a rewrite drops or edits, or whose
// terminator it changes (a last line without one included), or lines.size() when there is none.
std::size_t FirstChangedLine(std::string_view lines, const HostsConstants& constants);

// The new content from the first line that changes on (see FirstChangedLine; everything before
// it stays as it is), given only the file's bytes from there on: together with the bytes before
// them it is exactly the content EmitNewContent gives. `atFileStart` when they are the whole file.
void EmitNewTail(std::string_view tail, bool atFileStart, LineChoice choice, const HostsConstants& constants,
                 ContentSink& sink, const BufferSizes& sizes = {});

}  // namespace hostline
