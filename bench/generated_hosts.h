// A hosts file the size of a big ad-block list: blocking lines, comment blocks and blank lines,
// then the user's own section with a few lines that name the service host, the only entry for it
// on its last line. The earlier ones do not map the host (a name alone, a comment, longer
// names), so the detection has to examine them and read to the end. With `entriesFirst` the own
// section comes before the list instead, so that a save has to rewrite nearly the whole file.
#pragma once

#include <cstdio>
#include <string>

namespace hostline::bench {

struct GeneratedHosts {
    int lines = 1000000;
    const char* lineEnd = "\r\n";
    bool entriesFirst = false;
    const char* host = "service.example.com";
    const char* line1Address = "192.0.2.1";
};

inline std::string OwnSection(const GeneratedHosts& g) {
    std::string section = std::string("# my own entries") + g.lineEnd;
    section += std::string("\t") + g.host + g.lineEnd;
    section += std::string("# 10.0.0.1 ") + g.host + g.lineEnd;
    section += std::string("10.0.0.2 www.") + g.host + " " + g.host + ".cn" + g.lineEnd;
    section += std::string(g.line1Address) + "\t\t" + g.host + g.lineEnd;
    return section;
}

inline std::string GeneratedHostsFile(const GeneratedHosts& g) {
    std::string file;
    file.reserve(static_cast<std::size_t>(g.lines) * 40);
    if (g.entriesFirst) file += OwnSection(g);
    char line[160];
    for (int i = 0; i < g.lines - 5; ++i) {
        int length = 0;
        if (i % 1000 == 0) {
            length = std::snprintf(line, sizeof line, "# block list section %d", i / 1000);
        } else if (i % 1000 == 1) {
            length = 0;
        } else if (i % 1000 == 2) {
            length = std::snprintf(line, sizeof line, "# 10.0.0.%d %s", i % 200, g.host);
        } else {
            length = std::snprintf(line, sizeof line, "0.0.0.0 ads%d.tracker-%d.example.net", i, i % 977);
        }
        file.append(line, static_cast<std::size_t>(length));
        file += g.lineEnd;
    }
    if (!g.entriesFirst) file += OwnSection(g);
    return file;
}

}  // namespace hostline::bench
