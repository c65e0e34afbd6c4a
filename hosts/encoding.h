// What kind of text a hosts file holds, told from its byte-order mark or its NULs the way the next
// start will tell it, and UTF-16 bytes to code units and back. No platform calls here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hostline {

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

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

struct HostsFileParts {
    HostsEncoding Encoding = HostsEncoding::Ansi;
    std::string_view Mark;  // the byte-order mark, written back in front of the new content
    std::string_view Body;  // the lines (all of an unrecognised file)
    std::string_view OddByte;  // a UTF-16 file's odd last byte, which is no code unit; kept at the end
};

// Only the first kEncodingSample bytes of a file without a mark count: a file and its first
// kEncodingSample bytes are of the same kind.
HostsFileParts SplitHostsFile(std::string_view file);

// UTF-16 bytes in either byte order to native code units; an odd last byte is left out.
std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian);

// Native code units as UTF-16 bytes in the given order, appended to `out`.
std::string EncodeUtf16(std::u16string_view units, bool bigEndian, std::string out);

}  // namespace hostline
