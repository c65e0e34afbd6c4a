// What must hold for any hosts file and any choice that writes, shared by the seeded property
// test and the fuzzer: the new content detects as the choice, a second save changes nothing, and
// every line that is not a host entry comes out in order, byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hosts_file.h"
#include "hosts_rules.h"

namespace hostline::testing {

template <class Unit>
std::vector<std::basic_string<Unit>> LinesOf(Text<Unit> body, Text<Unit> host, bool keepEntries) {
    std::vector<std::basic_string<Unit>> lines;
    LineReader<Unit> reader(body);
    Text<Unit> line;
    while (reader.Next(line))
        if (keepEntries || !IsHostEntry(line, host)) lines.emplace_back(line);
    return lines;
}

template <class Unit>
std::string CompareKeptLines(Text<Unit> before, Text<Unit> after, LineChoice choice, std::string_view hostAscii) {
    const auto host = Widen<Unit>(hostAscii);
    const auto kept = LinesOf<Unit>(before, host, false);
    auto written = LinesOf<Unit>(after, host, true);
    if (choice != LineChoice::Automatic) {
        if (written.empty() || !IsHostEntry<Unit>(written.back(), host)) return "no pinned entry at the end";
        written.pop_back();
    }
    // The one line the rewrite may add: an empty line that keeps a file without a mark from
    // starting like a UTF-16 one.
    if (written.size() == kept.size() + 1 && written.front().empty()) written.erase(written.begin());
    if (written != kept) return "the kept lines differ";
    return {};
}

// An empty result means every property holds.
inline std::string CheckRewrite(std::string_view file, LineChoice choice, const HostsConstants& constants) {
    const std::string once = BuildNewContent(file, choice, constants);
    const LineChoice expected =
        choice == LineChoice::Line2 && constants.Line1Address == constants.Line2Address ? LineChoice::Line1 : choice;
    if (DetectLine(once, constants).Choice != expected) return "the new content detects as another choice";
    if (BuildNewContent(once, choice, constants) != once) return "a second save changed the content";

    const HostsFileParts before = SplitHostsFile(file);
    const HostsFileParts after = SplitHostsFile(once);
    const bool utf16 = IsUtf16(before.Encoding);
    if (after.Encoding != before.Encoding && !(before.Encoding == HostsEncoding::Ansi && after.Encoding == HostsEncoding::Utf8Bom))
        return "the encoding changed";
    if (after.Mark != before.Mark && before.Encoding != HostsEncoding::Ansi) return "the mark changed";
    if (after.Tail != before.Tail) return "the odd last byte changed";
    if (utf16) {
        const bool bigEndian = before.Encoding == HostsEncoding::Utf16BE;
        return CompareKeptLines<char16_t>(DecodeUtf16(before.Body, bigEndian), DecodeUtf16(after.Body, bigEndian),
                                          choice, constants.ServiceHost);
    }
    // A file without a mark may come out starting with a UTF-8 mark when its first line is dropped;
    // its bytes are then compared as they stand.
    const std::string_view afterBody = after.Encoding == before.Encoding ? after.Body : std::string_view(once);
    return CompareKeptLines<char>(before.Body, afterBody, choice, constants.ServiceHost);
}

}  // namespace hostline::testing

namespace hostline::testing {

// A save writes only from the unchanged prefix on; prefix and new tail must make exactly the
// content of a whole rewrite.
inline std::string CheckPartialRewrite(std::string_view file, LineChoice choice, const HostsConstants& constants) {
    const std::size_t from = UnchangedPrefix(file, constants);
    if (from > file.size()) return "the unchanged prefix is longer than the file";
    class Collect : public ContentSink {
    public:
        void Write(std::string_view bytes) override { text.append(bytes); }
        std::string text;
    } tail;
    EmitNewTail(file.substr(from), from == 0, choice, constants, tail);
    if (std::string(file.substr(0, from)) + tail.text != BuildNewContent(file, choice, constants))
        return "prefix and new tail differ from the whole new content";
    return {};
}

}  // namespace hostline::testing
