// The rules by which the system reads the hosts file and decides which lines pin the service host.
// They work on code units of any width: bytes of the ANSI code page (or UTF-8), UTF-16 units, or
// wchar_t. Every character they look for is ASCII, and in the double-byte code pages a space, tab,
// '#', CR or LF is never the second byte of a character, so testing bytes gives the same answers as
// testing decoded text, and the bytes of kept lines never need a round trip through a conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
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

// Where the bytes of `data` stop forming whole lines: just past the last complete terminator.
// A CR at the very end may be the first half of a CR LF, so it does not count yet.
inline std::size_t WholeLinesEnd(std::string_view data) {
    std::size_t end = data.size();
    if (end > 0 && data[end - 1] == '\r') --end;
    while (end > 0 && !IsTerminator(data[end - 1])) --end;
    return end;
}

template <class Unit>
constexpr bool IsBlank(Unit c) {
    return c == Unit(' ') || c == Unit('\t');
}

template <class Unit>
constexpr Unit LowerAscii(Unit c) {
    return c >= Unit('A') && c <= Unit('Z') ? Unit(c - Unit('A') + Unit('a')) : c;
}

// Host names compare without regard to the case of ASCII letters (RFC 4343), and a name with one
// trailing dot is the same name written as absolute.
template <class Unit>
bool IsHostName(Text<Unit> name, Text<Unit> host) {
    if (name.size() == host.size() + 1 && name.back() == Unit('.')) name.remove_suffix(1);
    if (name.size() != host.size() || host.empty()) return false;
    for (std::size_t i = 0; i < host.size(); ++i)
        if (LowerAscii(name[i]) != LowerAscii(host[i])) return false;
    return true;
}

// Walks the fields of one line: its text before the first '#', split at runs of spaces and tabs.
// The first field is the address, the others are the names mapped to it.
template <class Unit>
class Fields {
public:
    explicit Fields(Text<Unit> line) : line_(line) {}

    bool Next(std::size_t& start, std::size_t& end) {
        while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
        if (pos_ == line_.size() || line_[pos_] == Unit('#')) return false;
        start = pos_;
        while (pos_ < line_.size() && !IsBlank(line_[pos_]) && line_[pos_] != Unit('#')) ++pos_;
        end = pos_;
        return true;
    }

private:
    Text<Unit> line_;
    std::size_t pos_ = 0;
};

// Where the address (the first field) of `line` is, when another of its fields names the host:
// the one rule that decides whether a line is a host entry.
template <class Unit>
bool EntryAddress(Text<Unit> line, Text<Unit> host, std::size_t& start, std::size_t& end) {
    Fields<Unit> fields(line);
    if (!fields.Next(start, end)) return false;
    std::size_t nameStart = 0, nameEnd = 0;
    while (fields.Next(nameStart, nameEnd))
        if (IsHostName(line.substr(nameStart, nameEnd - nameStart), host)) return true;
    return false;
}

// Appends `entry` (a host entry's line, terminator excluded) without the host: each of its names
// that is the host goes with the spaces and tabs just before it. The rest stays byte for byte
// and gets CR LF; a line left with no name at all goes whole, its comment with it. One walk over
// the fields: until another name shows that the line stays, all there is to keep is the address.
template <class Unit, class Out>
void AppendWithoutHost(Out& out, Text<Unit> entry, Text<Unit> host) {
    static constexpr Unit kCrLf[] = {Unit('\r'), Unit('\n')};
    Fields<Unit> fields(entry);
    std::size_t start = 0, end = 0;
    fields.Next(start, end);
    const std::size_t addressEnd = end;
    std::size_t kept = 0, previousEnd = end;
    bool stays = false;
    while (fields.Next(start, end)) {
        if (!IsHostName(entry.substr(start, end - start), host)) {
            if (!stays && kept > 0) out.append(entry.substr(0, addressEnd));
            stays = true;
        } else {
            if (stays) out.append(entry.substr(kept, previousEnd - kept));
            kept = end;
        }
        previousEnd = end;
    }
    if (!stays) return;
    out.append(entry.substr(kept));
    out.append(Text<Unit>(kCrLf, 2));
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

// Finds the host in a text without regard to ASCII letter case, by Horspool's method: on a line
// that does not hold the name most bytes are skipped, up to a name's length at a time, and a byte
// skips the same whatever the case of its letter.
template <class Unit>
class CaselessSearcher {
public:
    explicit CaselessSearcher(Text<Unit> needle) : needle_(needle.size(), Unit(0)) {
        const std::size_t size = needle.size();
        for (std::size_t i = 0; i < size; ++i) needle_[i] = LowerAscii(needle[i]);
        for (std::size_t& shift : shifts_) shift = size;
        for (std::size_t i = 0; i + 1 < size; ++i) {
            const Unit c = needle_[i];
            if (!IsByte(c)) continue;
            shifts_[Byte(c)] = size - 1 - i;
            const Unit upper = c >= Unit('a') && c <= Unit('z') ? Unit(c - Unit('a') + Unit('A')) : c;
            shifts_[Byte(upper)] = size - 1 - i;
        }
    }

    // Where the next occurrence at or after `from` starts, or npos.
    std::size_t Find(Text<Unit> text, std::size_t from) const {
        const std::size_t size = needle_.size();
        if (size == 0) return Text<Unit>::npos;
        const Unit last = needle_[size - 1];
        for (std::size_t at = from; at + size <= text.size();) {
            const Unit c = text[at + size - 1];
            if (LowerAscii(c) == last && MatchesBefore(text, at, size - 1)) return at;
            at += IsByte(c) ? shifts_[Byte(c)] : size;
        }
        return Text<Unit>::npos;
    }

private:
    using Unsigned = std::make_unsigned_t<Unit>;
    static bool IsByte(Unit c) { return static_cast<Unsigned>(c) < 256; }
    static std::size_t Byte(Unit c) { return static_cast<std::size_t>(static_cast<Unsigned>(c)); }

    bool MatchesBefore(Text<Unit> text, std::size_t at, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i)
            if (LowerAscii(text[at + i]) != needle_[i]) return false;
        return true;
    }

    std::basic_string<Unit> needle_;
    std::size_t shifts_[256];
};

// A host entry found in a text: where its line and its address (the first field) are.
struct HostEntry {
    std::size_t LineStart = 0;
    std::size_t LineEnd = 0;  // the terminator, or the end of the text
    std::size_t AddressStart = 0;
    std::size_t AddressEnd = 0;
};

// Finds the host entries of a whole text in order without looking at every line: it searches
// the text for the host name and decides only the lines where the name occurs, each once, by the
// field rule of EntryAddress. This keeps a hosts file of a million blocklist lines to one fast search.
template <class Unit>
class HostEntryScanner {
public:
    HostEntryScanner(Text<Unit> text, Text<Unit> host) : text_(text), host_(host), searcher_(host) {}

    bool Next(HostEntry& entry) {
        while (pos_ < text_.size()) {
            const std::size_t at = searcher_.Find(text_, pos_);
            if (at == Text<Unit>::npos) break;
            std::size_t start = at;
            while (start > 0 && !IsTerminator(text_[start - 1])) --start;
            const std::size_t end = FindTerminator(text_, at);
            pos_ = end;
            std::size_t addressStart = 0, addressEnd = 0;
            if (EntryAddress(text_.substr(start, end - start), host_, addressStart, addressEnd)) {
                entry = {start, end, start + addressStart, start + addressEnd};
                return true;
            }
        }
        pos_ = text_.size();
        return false;
    }

private:
    Text<Unit> text_;
    Text<Unit> host_;
    CaselessSearcher<Unit> searcher_;
    std::size_t pos_ = 0;
};

}  // namespace hostline
