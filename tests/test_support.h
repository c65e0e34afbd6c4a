// What the native and the Wine tests share: the constants they run the rules with, and hosts
// files spelled out in UTF-16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hosts_file.h"

namespace hostline::testing {

// Fixed here rather than taken from the build, so the expectations below read as plain text.
inline constexpr HostsConstants kConstants{"service.example.com", "192.0.2.1", "198.51.100.1"};
inline constexpr HostsConstants kEqualLines{"service.example.com", "10.0.0.1", "10.0.0.1"};

// The host as a literal, so test lines can be spelled out around it.
#define HOST "service.example.com"

// UTF-16 units as bytes in the given byte order.
inline std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// A UTF-16 file: its byte-order mark, then the units in that byte order.
inline std::string Utf16File(std::u16string_view text, bool bigEndian = false) {
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Utf16Bytes(text, bigEndian);
}

// Exactly `size` bytes of ad-block lines, each ending in CR LF (the last one cut short to fit).
inline std::string BlocklistLines(std::size_t size) {
    std::string lines;
    for (int i = 0; lines.size() < size; ++i) lines += "0.0.0.0 ad" + std::to_string(i) + ".example\r\n";
    lines.resize(size - 2);
    return lines + "\r\n";
}

// Hosts files of real size that a save once came out of reordered: an entry on the first line,
// a lone-LF first line, a UTF-8 mark and a comment ending in LF, two entries a few lines apart.
inline std::vector<std::string> FilesOnceReordered() {
    return {
        "10.0.0.1 " HOST "\r\n" + BlocklistLines(40000),
        "127.0.0.1 localhost\n" + BlocklistLines(40000) + "0.0.0.0 last.example\n",
        "\xEF\xBB\xBF# \xE4\xB8\xAD\xE6\x96\x87\n" + BlocklistLines(50000),
        "a\r\n1.1.1.1 " HOST "\r\nb\r\n\t2.2.2.2 " HOST "\r\n" + BlocklistLines(33000),
    };
}

// 8-bit files whose NULs a save moves into the bytes that tell the encoding, so that the next start
// would refuse or misread what it wrote: a stray NUL below a long entry, a UTF-16 fragment pasted
// below one, and an odd length ending in a NUL.
inline std::vector<std::string> FilesWhoseNulsASaveMoves() {
    const std::string entry = "1.1.1.1 " HOST " #" + std::string(500, '-') + "\r\n";  // 531 bytes
    std::string fragment;  // 300 UTF-16 units, little-endian
    for (int unit = 0; unit < 300; ++unit) fragment += std::string("w\0", 2);
    return {entry + std::string("x\0y\r\n", 5), entry + fragment, std::string("ab\0", 3)};
}

}  // namespace hostline::testing
