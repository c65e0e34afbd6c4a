// The rules by which the system reads the hosts file and decides which lines pin the service host.
// They work on code units of any width: bytes of the ANSI code page (or UTF-8), UTF-16 units, or
// wchar_t. Every character they look for is ASCII, and in the double-byte code pages a space, tab,
// '#', CR or LF is never the second byte of a character, so testing bytes gives the same answers as
// testing decoded text, and the bytes of kept lines never need a round trip through a conversion.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace hostline {

template <class Unit>
using Text = std::basic_string_view<Unit>;

// The ASCII constants in the unit type of the text they are compared with.
template <class Unit>
std::basic_string<Unit> Widen(std::string_view ascii) {
    return std::basic_string<Unit>(ascii.begin(), ascii.end());
}

template <class Unit>
constexpr bool IsTerminator(Unit c) {
    return c == Unit('\r') || c == Unit('\n');
}

// Where the next CR or LF is in [from, size), or size. Bytes are tested eight at a time: the C
// library's memchr finds only one of the two characters and, in some runtimes (Wine's msvcrt
// among them), goes byte by byte anyway.
inline std::size_t FindCrOrLf(const char* text, std::size_t from, std::size_t size) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    constexpr std::uint64_t kCr = kOnes * '\r';
    constexpr std::uint64_t kLf = kOnes * '\n';
    std::size_t i = from;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        const std::uint64_t cr = word ^ kCr;
        const std::uint64_t lf = word ^ kLf;
        // A byte equal to CR or LF turns into zero, which this sets the high bit of. Bits above
        // a zero byte can be set falsely, but the lowest set bit is always exact.
        const std::uint64_t found = (((cr - kOnes) & ~cr) | ((lf - kOnes) & ~lf)) & kHighs;
        if (found == 0) continue;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        return i + static_cast<std::size_t>(__builtin_ctzll(found)) / 8;
#else
        break;
#endif
    }
    for (; i < size; ++i)
        if (text[i] == '\r' || text[i] == '\n') return i;
    return size;
}

template <class Unit>
std::size_t FindTerminator(Text<Unit> text, std::size_t from) {
    if constexpr (sizeof(Unit) == 1) {
        return FindCrOrLf(reinterpret_cast<const char*>(text.data()), from, text.size());
    } else {
        for (std::size_t i = from; i < text.size(); ++i)
            if (IsTerminator(text[i])) return i;
        return text.size();
    }
}

// The length of the terminator at `at`: CR LF, a lone CR and a lone LF each end one line.
template <class Unit>
std::size_t TerminatorLength(Text<Unit> text, std::size_t at) {
    if (at >= text.size()) return 0;
    if (text[at] == Unit('\r') && at + 1 < text.size() && text[at + 1] == Unit('\n')) return 2;
    return 1;
}

// Walks the lines of a text in order. A terminator at the very end makes no further empty line,
// and an empty text has no lines.
template <class Unit>
class LineReader {
public:
    explicit LineReader(Text<Unit> text) : text_(text) {}

    bool Next(Text<Unit>& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = FindTerminator(text_, pos_);
        line = text_.substr(pos_, end - pos_);
        pos_ = end + TerminatorLength(text_, end);
        return true;
    }

private:
    Text<Unit> text_;
    std::size_t pos_ = 0;
};

// Only U+0020 is trimmed; tabs stay, also at the ends.
template <class Unit>
Text<Unit> Trim(Text<Unit> text) {
    const std::size_t first = text.find_first_not_of(Unit(' '));
    if (first == Text<Unit>::npos) return {};
    const std::size_t last = text.find_last_not_of(Unit(' '));
    return text.substr(first, last - first + 1);
}

template <class Unit>
bool IsActiveLine(Text<Unit> line) {
    const Text<Unit> trimmed = Trim(line);
    return !trimmed.empty() && trimmed.front() != Unit('#');
}

// A host entry: an active line whose trimmed text holds a space or a tab directly followed by the
// host. Nothing after the name is checked, so a longer name that starts with the host counts.
template <class Unit>
bool IsHostEntry(Text<Unit> line, Text<Unit> host) {
    if (!IsActiveLine(line) || host.empty()) return false;
    const Text<Unit> trimmed = Trim(line);
    for (std::size_t at = trimmed.find(host, 1); at != Text<Unit>::npos;
         at = trimmed.find(host, at + 1)) {
        if (trimmed[at - 1] == Unit(' ') || trimmed[at - 1] == Unit('\t')) return true;
    }
    return false;
}

// The address of a host entry: every occurrence of the host removed in one left-to-right pass,
// tabs turned into spaces, the rest trimmed. Nothing is validated; comments and other names stay.
template <class Unit>
std::basic_string<Unit> AddressOf(Text<Unit> entry, Text<Unit> host) {
    const Text<Unit> trimmed = Trim(entry);
    std::basic_string<Unit> removed;
    removed.reserve(trimmed.size());
    std::size_t from = 0;
    if (!host.empty()) {
        for (std::size_t at = trimmed.find(host); at != Text<Unit>::npos;
             at = trimmed.find(host, from)) {
            removed.append(trimmed.substr(from, at - from));
            from = at + host.size();
        }
    }
    removed.append(trimmed.substr(from));
    std::replace(removed.begin(), removed.end(), Unit('\t'), Unit(' '));
    return std::basic_string<Unit>(Trim(Text<Unit>(removed)));
}

// The entry a save writes: the address, two tabs, the host, CR LF.
template <class Unit>
std::basic_string<Unit> PinnedEntry(Text<Unit> address, Text<Unit> host) {
    std::basic_string<Unit> entry(address);
    entry += Unit('\t');
    entry += Unit('\t');
    entry.append(host);
    entry += Unit('\r');
    entry += Unit('\n');
    return entry;
}

// Finds the host entries of a whole text in order without looking at every line: it searches
// the text for the host name and only examines the lines where the name occurs. This keeps a
// hosts file of a million blocklist lines to one fast substring search.
template <class Unit>
class HostEntryScanner {
public:
    HostEntryScanner(Text<Unit> text, Text<Unit> host)
        : text_(text), host_(host), searcher_(host.begin(), host.end()) {}

    // The next host entry as [start, end) of its line, terminator excluded.
    bool Next(std::size_t& start, std::size_t& end) {
        if (host_.empty()) return false;
        while (pos_ < text_.size()) {
            const auto found = std::search(text_.begin() + pos_, text_.end(), searcher_);
            if (found == text_.end()) break;
            const std::size_t at = static_cast<std::size_t>(found - text_.begin());
            if (at >= lineEnd_) EnterLineAround(at);
            if (!active_) {
                pos_ = lineEnd_;
                continue;
            }
            // The separator must lie inside the trimmed text; a tab always does, a space only
            // when something other than spaces stands before it.
            const Unit before = at > lineStart_ ? text_[at - 1] : Unit(0);
            if (before == Unit('\t') || (before == Unit(' ') && at - 1 > trimmedStart_)) {
                start = lineStart_;
                end = lineEnd_;
                pos_ = lineEnd_;
                return true;
            }
            pos_ = at + 1;
        }
        pos_ = text_.size();
        return false;
    }

private:
    void EnterLineAround(std::size_t at) {
        std::size_t start = at;
        while (start > 0 && !IsTerminator(text_[start - 1])) --start;
        lineStart_ = start;
        lineEnd_ = FindTerminator(text_, at);
        trimmedStart_ = start;
        while (trimmedStart_ < at && text_[trimmedStart_] == Unit(' ')) ++trimmedStart_;
        active_ = text_[trimmedStart_] != Unit('#');
    }

    Text<Unit> text_;
    Text<Unit> host_;
    std::boyer_moore_horspool_searcher<typename Text<Unit>::const_iterator> searcher_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t lineEnd_ = 0;
    std::size_t trimmedStart_ = 0;
    bool active_ = false;
};

}  // namespace hostline
