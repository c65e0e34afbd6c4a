// Detection and line change over hosts file bytes: the rules run on the lines of the text the file
// holds (encoding.h tells which), and the new content is handed in order to a writer. No platform
// calls here; the Win32 layer reads and writes the bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "encoding.h"

namespace hostline {

enum class LineChoice { Automatic, Line1, Line2, Other };

// The three build-time constants, passed in so the rules can run with any host and addresses.
struct HostsConstants {
    std::string_view ServiceHost;   // ASCII, no space, tab, '#', CR or LF
    std::string_view Line1Address;  // dotted IPv4
    std::string_view Line2Address;
};

// The buffers that reading and writing go through. The program keeps the defaults; the tests
// make them a few bytes long, so that short inputs cross every boundary the code has.
struct BufferSizes {
    std::size_t ReadRun = 256 * 1024;  // the first size of the buffer a file is read through
    std::size_t Staging = 64 * 1024;   // where small pieces of new content gather before a write
};

struct DetectedLine {
    LineChoice Choice = LineChoice::Automatic;
    HostsEncoding Encoding = HostsEncoding::Ansi;
};

// The first host entry decides, by its address (its first field). An Unrecognised file has no
// choice: the caller reads nothing into it.
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

// Whether the next start reads the new content for `choice` as this save wrote it: the same kind
// of text, the choice that was saved, and nothing for a second save to change. Not so when a file
// of bytes without a mark holds NULs that the save moves into the bytes that tell the encoding (a
// stray NUL past them, a UTF-16 fragment pasted into a comment, an odd last byte): the next start
// would refuse the file or read it as UTF-16. The caller refuses such a save. Only the start of
// the new content is built. May throw std::bad_alloc.
bool NewContentReadsBack(std::string_view file, LineChoice choice, const HostsConstants& constants);

// The start of the first of `lines` (bytes, no mark) that a rewrite drops or edits, or whose
// terminator it changes (a last line without one included), or lines.size() when there is none.
std::size_t FirstChangedLine(std::string_view lines, const HostsConstants& constants);

// The new content from the first line that changes on (see FirstChangedLine; everything before
// it stays as it is), given only the file's bytes from there on: together with the bytes before
// them it is exactly the content EmitNewContent gives. `atFileStart` when they are the whole file.
void EmitNewTail(std::string_view tail, bool atFileStart, LineChoice choice, const HostsConstants& constants,
                 ContentSink& sink, const BufferSizes& sizes = {});

}  // namespace hostline
