#include "hosts_file.h"

#include "hosts_rules.h"

namespace hostline {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool IsUtf16(HostsEncoding encoding) {
    return encoding == HostsEncoding::Utf16LE || encoding == HostsEncoding::Utf16BE;
}

template <class Unit>
struct FoundEntry {
    LineChoice Choice = LineChoice::Automatic;
    std::size_t Start = 0;
    std::size_t End = 0;
};

template <class Unit>
LineChoice ChooseUnits(Text<Unit> address, const HostsConstants& constants) {
    const auto equals = [&](std::string_view ascii) {
        return address.size() == ascii.size() &&
               std::equal(address.begin(), address.end(), ascii.begin(),
                          [](Unit a, char b) { return a == Unit(static_cast<unsigned char>(b)); });
    };
    if (address.empty()) return LineChoice::Automatic;
    if (equals(constants.Line1Address)) return LineChoice::Line1;
    if (equals(constants.Line2Address)) return LineChoice::Line2;
    return LineChoice::Other;
}

template <class Unit>
FoundEntry<Unit> FindDecidingEntry(Text<Unit> body, const HostsConstants& constants) {
    const auto host = Widen<Unit>(constants.ServiceHost);
    HostEntryScanner<Unit> scanner(body, host);
    std::size_t start = 0, end = 0;
    while (scanner.Next(start, end)) {
        // An entry that holds nothing but the host leaves the address empty; a later one decides.
        const auto address = AddressOf<Unit>(body.substr(start, end - start), host);
        if (!address.empty()) return {ChooseUnits<Unit>(address, constants), start, end};
    }
    return {};
}

// Appends lines that start at the start of `region`, each with CR LF after it. Runs of lines
// that already end in CR LF are copied in one piece.
template <class Unit>
void AppendWithCrLf(std::basic_string<Unit>& out, Text<Unit> region) {
    static constexpr Unit kCrLf[] = {Unit('\r'), Unit('\n')};
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < region.size()) {
        const std::size_t at = FindTerminator(region, pos);
        if (at == region.size()) {
            out.append(region.substr(runStart));
            out.append(kCrLf, 2);
            return;
        }
        if (TerminatorLength(region, at) == 2) {
            pos = at + 2;
            continue;
        }
        out.append(region.substr(runStart, at - runStart));
        out.append(kCrLf, 2);
        pos = runStart = at + 1;
    }
    out.append(region.substr(runStart));
}

template <class Unit>
void AppendNewLines(std::basic_string<Unit>& out, Text<Unit> body, LineChoice choice,
                    const HostsConstants& constants) {
    const auto host = Widen<Unit>(constants.ServiceHost);
    HostEntryScanner<Unit> scanner(body, host);
    std::size_t kept = 0, start = 0, end = 0;
    while (scanner.Next(start, end)) {
        AppendWithCrLf<Unit>(out, body.substr(kept, start - kept));
        kept = end + TerminatorLength(body, end);
    }
    AppendWithCrLf<Unit>(out, body.substr(kept));
    if (choice == LineChoice::Line1 || choice == LineChoice::Line2) {
        const auto address = Widen<Unit>(choice == LineChoice::Line1 ? constants.Line1Address
                                                                     : constants.Line2Address);
        out.append(PinnedEntry<Unit>(address, host));
    }
}

std::size_t RoomFor(std::size_t bodySize, const HostsConstants& constants) {
    // Enough for every realistic file, whose lines are longer than eight bytes, to gain a CR
    // before each LF without the buffer growing a second time.
    return bodySize + bodySize / 8 + constants.ServiceHost.size() + 64;
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

}  // namespace

HostsFileParts SplitHostsFile(std::string_view file) {
    HostsFileParts parts;
    if (file.substr(0, 2) == kUtf16LEMark || file.substr(0, 2) == kUtf16BEMark) {
        parts.Encoding = file[0] == '\xFF' ? HostsEncoding::Utf16LE : HostsEncoding::Utf16BE;
        parts.Mark = file.substr(0, 2);
        const std::size_t units = (file.size() - 2) / 2;
        parts.Body = file.substr(2, units * 2);
        parts.Tail = file.substr(2 + units * 2);
    } else if (file.substr(0, 3) == kUtf8Mark) {
        parts.Encoding = HostsEncoding::Utf8Bom;
        parts.Mark = file.substr(0, 3);
        parts.Body = file.substr(3);
    } else {
        parts.Body = file;
    }
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

LineChoice ChooseLine(std::string_view address, const HostsConstants& constants) {
    return ChooseUnits<char>(address, constants);
}

DetectedLine DetectLine(std::string_view file, const HostsConstants& constants) {
    const HostsFileParts parts = SplitHostsFile(file);
    DetectedLine result;
    result.Encoding = parts.Encoding;
    if (IsUtf16(parts.Encoding)) {
        const std::u16string units = DecodeUtf16(parts.Body, parts.Encoding == HostsEncoding::Utf16BE);
        const auto found = FindDecidingEntry<char16_t>(units, constants);
        result.Choice = found.Choice;
        result.Entry = parts.Body.substr(2 * found.Start, 2 * (found.End - found.Start));
    } else {
        const auto found = FindDecidingEntry<char>(parts.Body, constants);
        result.Choice = found.Choice;
        result.Entry = parts.Body.substr(found.Start, found.End - found.Start);
    }
    return result;
}

std::string BuildNewContent(std::string_view file, LineChoice choice, const HostsConstants& constants) {
    const HostsFileParts parts = SplitHostsFile(file);
    std::string out;
    if (IsUtf16(parts.Encoding)) {
        const bool bigEndian = parts.Encoding == HostsEncoding::Utf16BE;
        std::u16string lines;
        lines.reserve(RoomFor(parts.Body.size() / 2, constants));
        AppendNewLines<char16_t>(lines, DecodeUtf16(parts.Body, bigEndian), choice, constants);
        out.reserve(parts.Mark.size() + 2 * lines.size() + parts.Tail.size());
        out.append(parts.Mark);
        out = EncodeUtf16(lines, bigEndian, std::move(out));
    } else {
        out.reserve(parts.Mark.size() + RoomFor(parts.Body.size(), constants));
        out.append(parts.Mark);
        AppendNewLines<char>(out, parts.Body, choice, constants);
        // Dropping the first line can bring a line that starts with the bytes of a UTF-16 mark
        // to the front, and the next reader would take the whole file for UTF-16.
        const std::string_view start = std::string_view(out).substr(0, 2);
        if (parts.Encoding == HostsEncoding::Ansi && (start == kUtf16LEMark || start == kUtf16BEMark))
            out.insert(0, "\r\n");
    }
    out.append(parts.Tail);
    return out;
}

}  // namespace hostline
