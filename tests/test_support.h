// What the native and the Wine tests share: the constants they run the rules with, and hosts
// files spelled out in UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "hosts_file.h"

namespace hostline::testing {

// Fixed here rather than taken from the build, so the expectations below read as plain text.
inline constexpr HostsConstants kConstants{"service.example.com", "192.0.2.1", "198.51.100.1"};
inline constexpr HostsConstants kEqualLines{"service.example.com", "10.0.0.1", "10.0.0.1"};

// The host as a literal, so test lines can be spelled out around it.
#define HOST "service.example.com"

// A UTF-16 file: its byte-order mark, then the units in that byte order.
inline std::string Utf16File(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

}  // namespace hostline::testing
