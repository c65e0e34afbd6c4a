// A plain model of the detection and the line change, the yardstick of the differential tests.
// It follows the rules as they are written, one whole line at a time: no scanner, no staging, no
// streaming, and nothing taken from the program but the constants and the names of the results (the
// tests' own UTF-16 spelling is shared).
// It is slow on purpose; what matters is that it can be checked by eye.
//
// The rules, as decided for this program: CR LF, a lone CR and a lone LF each end a line, and a
// terminator at the very end makes no further line. A line's fields are its text before the first
// '#', split at runs of spaces and tabs; the first field is the address, the others are names. A
// host entry has a name equal to the host, ASCII letters compared without regard to case, with or
// without one trailing dot. The first entry decides, by its address compared exactly. A save
// removes every such name with the spaces and tabs just before it; an entry left without a name
// goes whole, any other line stays byte for byte, and every kept line gets CR LF; for a line, its
// address, two tabs, the host and CR LF are appended.
// A UTF-8 mark stays in front; a UTF-16 file (FF FE or FE FF) is all of this in UTF-16 units in
// its byte order, with an odd last byte kept at the end; and a file without a mark never comes
// out starting with the two bytes of a UTF-16 mark: an empty line goes in front of them.
// Without a mark, the NUL bytes among the first 512 (an even number of bytes, the odd last one
// left out) tell: none, bytes as above; in one place of the pairs at least a quarter of the pairs,
// and in the other at most an eighth as many, UTF-16 without a mark in that order (a NUL second
// is little-endian), saved without one unless the new content would not read back so; any other
// NULs, a file the program does not read or save at all. A save whose content would not be read
// back as it was saved is refused.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "hosts_file.h"
#include "test_support.h"

namespace hostline::model {

template <class Char>
using Str = std::basic_string<Char>;

template <class Char>
Str<Char> Ascii(std::string_view text) {
    return Str<Char>(text.begin(), text.end());
}

template <class Char>
std::vector<Str<Char>> Lines(const Str<Char>& text) {
    std::vector<Str<Char>> lines;
    Str<Char> line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == Char('\r') || text[i] == Char('\n')) {
            lines.push_back(line);
            line.clear();
            if (text[i] == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

template <class Char>
bool IsBlank(Char c) {
    return c == Char(' ') || c == Char('\t');
}

// A field: where it starts in its line and its text.
template <class Char>
struct Field {
    std::size_t Start;
    Str<Char> Text;
};

template <class Char>
std::vector<Field<Char>> Fields(const Str<Char>& line) {
    std::vector<Field<Char>> fields;
    for (std::size_t i = 0; i < line.size() && line[i] != Char('#');) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        Field<Char> field{i, {}};
        for (; i < line.size() && line[i] != Char('#') && !IsBlank(line[i]); ++i) field.Text += line[i];
        fields.push_back(field);
    }
    return fields;
}

template <class Char>
Char Lower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
bool IsHost(Str<Char> name, const Str<Char>& host) {
    if (name.size() == host.size() + 1 && name.back() == Char('.')) name.pop_back();
    if (name.size() != host.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (Lower(name[i]) != Lower(host[i])) return false;
    return true;
}

template <class Char>
bool IsHostEntry(const Str<Char>& line, const Str<Char>& host) {
    const auto fields = Fields(line);
    for (std::size_t i = 1; i < fields.size(); ++i)
        if (IsHost(fields[i].Text, host)) return true;
    return false;
}

// The line without the host's names, or nothing when no other name is left.
template <class Char>
bool WithoutHost(const Str<Char>& line, const Str<Char>& host, Str<Char>& kept) {
    const auto fields = Fields(line);
    std::size_t others = 0;
    for (std::size_t i = 1; i < fields.size(); ++i)
        if (!IsHost(fields[i].Text, host)) ++others;
    if (others == 0) return false;
    kept.clear();
    std::size_t from = 0;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        if (!IsHost(fields[i].Text, host)) continue;
        const std::size_t blanksStart = fields[i - 1].Start + fields[i - 1].Text.size();
        kept += line.substr(from, blanksStart - from);
        from = fields[i].Start + fields[i].Text.size();
    }
    kept += line.substr(from);
    return true;
}

// A hosts file taken apart by its byte-order mark, or by its NULs when it has none.
struct File {
    std::string Mark;
    bool Unrecognised = false;
    bool Utf16 = false;
    bool BigEndian = false;
    std::string Bytes;    // the lines, when the file is not UTF-16
    std::u16string Units; // the lines, when it is
    std::string OddByte;
};

// Counts the NULs at even and at odd offsets among the first 512 bytes, in whole pairs.
inline void CountNuls(const std::string& bytes, std::size_t& even, std::size_t& odd, std::size_t& pairs) {
    even = odd = 0;
    pairs = std::min<std::size_t>(bytes.size(), 512) / 2;
    for (std::size_t i = 0; i < 2 * pairs; ++i) {
        if (bytes[i] == '\0' && i % 2 == 0) ++even;
        if (bytes[i] == '\0' && i % 2 == 1) ++odd;
    }
}

// The bytes after the mark as UTF-16 units, an odd last byte apart.
inline File Utf16(const std::string& bytes, const std::string& mark, bool bigEndian) {
    File file;
    file.Utf16 = true;
    file.BigEndian = bigEndian;
    file.Mark = mark;
    std::size_t i = mark.size();
    for (; i + 1 < bytes.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[i]);
        const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        file.Units += static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    file.OddByte = bytes.substr(i);
    return file;
}

inline File Parse(const std::string& bytes) {
    const std::string start = bytes.substr(0, 2);
    if (start == "\xFF\xFE") return Utf16(bytes, start, false);
    if (start == "\xFE\xFF") return Utf16(bytes, start, true);
    File file;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        file.Mark = "\xEF\xBB\xBF";
        file.Bytes = bytes.substr(3);
        return file;
    }
    std::size_t even = 0, odd = 0, pairs = 0;
    CountNuls(bytes, even, odd, pairs);
    if (odd > 0 && 4 * odd >= pairs && 8 * even <= odd) return Utf16(bytes, "", false);
    if (even > 0 && 4 * even >= pairs && 8 * odd <= even) return Utf16(bytes, "", true);
    file.Unrecognised = even + odd > 0;
    file.Bytes = bytes;
    return file;
}

template <class Char>
LineChoice Choose(const Str<Char>& address, const HostsConstants& constants) {
    if (address.empty()) return LineChoice::Automatic;
    if (address == Ascii<Char>(constants.Line1Address)) return LineChoice::Line1;
    if (address == Ascii<Char>(constants.Line2Address)) return LineChoice::Line2;
    return LineChoice::Other;
}

template <class Char>
LineChoice DetectIn(const Str<Char>& text, const HostsConstants& constants, Str<Char>& address) {
    const Str<Char> host = Ascii<Char>(constants.ServiceHost);
    for (const Str<Char>& line : Lines(text)) {
        if (!IsHostEntry(line, host)) continue;
        address = Fields(line)[0].Text;
        return Choose(address, constants);
    }
    return LineChoice::Automatic;
}

struct Detected {
    bool Unrecognised = false;
    LineChoice Choice = LineChoice::Automatic;
    std::string Address;  // the deciding entry's first field, in the file's own bytes
};

inline Detected Detect(const std::string& bytes, const HostsConstants& constants) {
    const File file = Parse(bytes);
    Detected detected;
    if (file.Unrecognised) {
        detected.Unrecognised = true;
    } else if (file.Utf16) {
        std::u16string address;
        detected.Choice = DetectIn(file.Units, constants, address);
        detected.Address = testing::Utf16Bytes(address, file.BigEndian);
    } else {
        detected.Choice = DetectIn(file.Bytes, constants, detected.Address);
    }
    return detected;
}

template <class Char>
Str<Char> Rewrite(const Str<Char>& text, LineChoice choice, const HostsConstants& constants) {
    const Str<Char> host = Ascii<Char>(constants.ServiceHost);
    const Str<Char> crlf = Ascii<Char>("\r\n");
    Str<Char> out;
    Str<Char> kept;
    for (const Str<Char>& line : Lines(text)) {
        if (!IsHostEntry(line, host)) {
            out += line + crlf;
        } else if (WithoutHost(line, host, kept)) {
            out += kept + crlf;
        }
    }
    if (choice == LineChoice::Line1) out += Ascii<Char>(constants.Line1Address) + Ascii<Char>("\t\t") + host + crlf;
    if (choice == LineChoice::Line2) out += Ascii<Char>(constants.Line2Address) + Ascii<Char>("\t\t") + host + crlf;
    return out;
}

// The whole new content of the file for Automatic, Line1 or Line2; a file that is not read has none.
inline std::string NewContent(const std::string& bytes, LineChoice choice, const HostsConstants& constants) {
    const File file = Parse(bytes);
    if (file.Unrecognised) return bytes;
    if (file.Utf16) {
        const std::string content =
            file.Mark + testing::Utf16Bytes(Rewrite(file.Units, choice, constants), file.BigEndian) + file.OddByte;
        if (!file.Mark.empty() || content.empty()) return content;
        const File again = Parse(content);
        const bool readsBack = again.Utf16 && again.Mark.empty() && again.BigEndian == file.BigEndian;
        return readsBack ? content : (file.BigEndian ? "\xFE\xFF" : "\xFF\xFE") + content;
    }
    std::string lines = Rewrite(file.Bytes, choice, constants);
    const std::string start = lines.substr(0, 2);
    if (file.Mark.empty() && (start == "\xFF\xFE" || start == "\xFE\xFF")) lines = "\r\n" + lines;
    return file.Mark + lines;
}

// What a save promises: its new content is read back as the same kind of text (an empty file is
// of any kind), shows the choice that was saved (line 1 for line 2 when both lines have one
// address), and a second save of the same choice changes nothing. A save whose content would not
// is refused.
inline bool ReadsBack(const std::string& bytes, LineChoice choice, const HostsConstants& constants) {
    const std::string content = NewContent(bytes, choice, constants);
    const File before = Parse(bytes), after = Parse(content);
    const bool sameKind = !after.Unrecognised && after.Utf16 == before.Utf16 && after.BigEndian == before.BigEndian &&
                          (after.Utf16 || after.Mark == before.Mark);
    const bool sameAddresses = constants.Line1Address == constants.Line2Address;
    const LineChoice shown = choice == LineChoice::Line2 && sameAddresses ? LineChoice::Line1 : choice;
    return (content.empty() || sameKind) && Detect(content, constants).Choice == shown &&
           NewContent(content, choice, constants) == content;
}

// How many bytes at the start a save leaves exactly as they are: the lines before the first one
// that maps the host or does not end in CR LF. A UTF-16 file is rewritten whole.
inline std::size_t UnchangedPrefix(const std::string& bytes, const HostsConstants& constants) {
    const File file = Parse(bytes);
    if (file.Utf16 || file.Unrecognised) return 0;
    const std::string host(constants.ServiceHost);
    std::size_t line = 0;
    for (;;) {
        const std::size_t end = file.Bytes.find_first_of("\r\n", line);
        if (end == std::string::npos || file.Bytes.compare(end, 2, "\r\n") != 0) break;
        if (IsHostEntry(file.Bytes.substr(line, end - line), host)) break;
        line = end + 2;
    }
    return file.Mark.size() + line;
}

}  // namespace hostline::model
