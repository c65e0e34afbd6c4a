#include "encoding.h"

#include <algorithm>

namespace hostline {

namespace {

// The encoding of a file without a mark, from the NULs among its first bytes.
HostsEncoding EncodingByNuls(std::string_view file) {
    const std::size_t pairs = std::min(file.size(), kEncodingSample) / 2;
    std::size_t even = 0, odd = 0;
    for (std::size_t i = 0; i < 2 * pairs; i += 2) {
        even += file[i] == '\0';
        odd += file[i + 1] == '\0';
    }
    if (even + odd == 0) return HostsEncoding::Ansi;
    if (4 * odd >= pairs && 8 * even <= odd) return HostsEncoding::Utf16LE;
    if (4 * even >= pairs && 8 * odd <= even) return HostsEncoding::Utf16BE;
    return HostsEncoding::Unrecognised;
}

HostsFileParts Utf16Parts(std::string_view file, HostsEncoding encoding, std::size_t markSize) {
    HostsFileParts parts;
    parts.Encoding = encoding;
    parts.Mark = file.substr(0, markSize);
    const std::size_t units = (file.size() - markSize) / 2;
    parts.Body = file.substr(markSize, units * 2);
    parts.OddByte = file.substr(markSize + units * 2);
    return parts;
}

}  // namespace

HostsFileParts SplitHostsFile(std::string_view file) {
    if (file.substr(0, 2) == kUtf16LEMark) return Utf16Parts(file, HostsEncoding::Utf16LE, 2);
    if (file.substr(0, 2) == kUtf16BEMark) return Utf16Parts(file, HostsEncoding::Utf16BE, 2);
    HostsFileParts parts;
    if (file.substr(0, 3) == kUtf8Mark) {
        parts.Encoding = HostsEncoding::Utf8Bom;
        parts.Mark = file.substr(0, 3);
        parts.Body = file.substr(3);
        return parts;
    }
    parts.Encoding = EncodingByNuls(file);
    if (IsUtf16(parts.Encoding)) return Utf16Parts(file, parts.Encoding, 0);
    parts.Body = file;
    return parts;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

std::string EncodeUtf16(std::u16string_view units, bool bigEndian, std::string out) {
    for (const char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

}  // namespace hostline
