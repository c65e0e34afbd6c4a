// A plain model of the detection and the line change, the yardstick of the differential tests.
// It follows the rules as they are written, one whole line at a time: no scanner, no staging, no
// streaming, and nothing taken from the program but the constants and the names of the results (the
// tests' own UTF-16 spelling is shared).
// It is slow on purpose; what matters is that it can be checked by eye.
//
// The rules, as decided for this program: CR LF, a lone CR and a lone LF each end a line, and a
// terminator at the very end makes no further line. Trimming removes spaces only. A host entry is
// a trimmed line, not empty and not starting with '#', holding a space or a tab directly followed
// by the host. Its address: every occurrence of the host removed left to right, tabs made spaces,
// trimmed. The first entry with a non-empty address decides. A save keeps every other line byte
// for byte with CR LF after it and, for a line, appends its address, two tabs, the host, CR LF.
// A UTF-8 mark stays in front; a UTF-16 file (FF FE or FE FF) is all of this in UTF-16 units in
// its byte order, with an odd last byte kept at the end; and a file without a mark never comes
// out starting with the two bytes of a UTF-16 mark: an empty line goes in front of them.
#pragma once

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
Str<Char> Trim(Str<Char> text) {
    while (!text.empty() && text.front() == Char(' ')) text.erase(0, 1);
    while (!text.empty() && text.back() == Char(' ')) text.pop_back();
    return text;
}

template <class Char>
bool IsHostEntry(const Str<Char>& line, const Str<Char>& host) {
    const Str<Char> text = Trim(line);
    if (text.empty() || text[0] == Char('#')) return false;
    for (std::size_t i = 1; i + host.size() <= text.size(); ++i) {
        const bool separated = text[i - 1] == Char(' ') || text[i - 1] == Char('\t');
        if (separated && text.compare(i, host.size(), host) == 0) return true;
    }
    return false;
}

template <class Char>
Str<Char> AddressOf(const Str<Char>& line, const Str<Char>& host) {
    const Str<Char> text = Trim(line);
    Str<Char> rest;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, host.size(), host) == 0) {
            i += host.size();
        } else {
            rest += text[i] == Char('\t') ? Char(' ') : text[i];
            ++i;
        }
    }
    return Trim(rest);
}

// A hosts file taken apart by its byte-order mark.
struct File {
    std::string Mark;
    bool Utf16 = false;
    bool BigEndian = false;
    std::string Bytes;    // the lines, when the file is not UTF-16
    std::u16string Units; // the lines, when it is
    std::string OddByte;
};

inline File Parse(const std::string& bytes) {
    File file;
    const std::string start = bytes.substr(0, 2);
    if (start == "\xFF\xFE" || start == "\xFE\xFF") {
        file.Utf16 = true;
        file.BigEndian = start == "\xFE\xFF";
        file.Mark = start;
        std::size_t i = 2;
        for (; i + 1 < bytes.size(); i += 2) {
            const unsigned first = static_cast<unsigned char>(bytes[i]);
            const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
            file.Units += static_cast<char16_t>(file.BigEndian ? first << 8 | second : second << 8 | first);
        }
        file.OddByte = bytes.substr(i);
        return file;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") file.Mark = "\xEF\xBB\xBF";
    file.Bytes = bytes.substr(file.Mark.size());
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
LineChoice DetectIn(const Str<Char>& text, const HostsConstants& constants, Str<Char>& entry) {
    const Str<Char> host = Ascii<Char>(constants.ServiceHost);
    for (const Str<Char>& line : Lines(text)) {
        if (!IsHostEntry(line, host)) continue;
        const Str<Char> address = AddressOf(line, host);
        if (address.empty()) continue;
        entry = line;
        return Choose(address, constants);
    }
    return LineChoice::Automatic;
}

struct Detected {
    LineChoice Choice = LineChoice::Automatic;
    std::string Entry;  // the deciding line, in the file's own bytes
};

inline Detected Detect(const std::string& bytes, const HostsConstants& constants) {
    const File file = Parse(bytes);
    Detected detected;
    if (file.Utf16) {
        std::u16string entry;
        detected.Choice = DetectIn(file.Units, constants, entry);
        detected.Entry = testing::Utf16Bytes(entry, file.BigEndian);
    } else {
        detected.Choice = DetectIn(file.Bytes, constants, detected.Entry);
    }
    return detected;
}

template <class Char>
Str<Char> Rewrite(const Str<Char>& text, LineChoice choice, const HostsConstants& constants) {
    const Str<Char> host = Ascii<Char>(constants.ServiceHost);
    const Str<Char> crlf = Ascii<Char>("\r\n");
    Str<Char> out;
    for (const Str<Char>& line : Lines(text))
        if (!IsHostEntry(line, host)) out += line + crlf;
    if (choice == LineChoice::Line1) out += Ascii<Char>(constants.Line1Address) + Ascii<Char>("\t\t") + host + crlf;
    if (choice == LineChoice::Line2) out += Ascii<Char>(constants.Line2Address) + Ascii<Char>("\t\t") + host + crlf;
    return out;
}

// The whole new content of the file for Automatic, Line1 or Line2.
inline std::string NewContent(const std::string& bytes, LineChoice choice, const HostsConstants& constants) {
    const File file = Parse(bytes);
    if (file.Utf16) return file.Mark + testing::Utf16Bytes(Rewrite(file.Units, choice, constants), file.BigEndian) + file.OddByte;
    std::string lines = Rewrite(file.Bytes, choice, constants);
    const std::string start = lines.substr(0, 2);
    if (file.Mark.empty() && (start == "\xFF\xFE" || start == "\xFE\xFF")) lines = "\r\n" + lines;
    return file.Mark + lines;
}

}  // namespace hostline::model
