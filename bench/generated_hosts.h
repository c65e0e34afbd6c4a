// A hosts file the size of a big ad-block list: blocking lines, comment blocks, blank lines and a
// few entries for the service host, one of them on the very last line. The earlier entries have
// no address of their own, so the detection has to read to the end to find the deciding one.
#pragma once

#include <cstdio>
#include <string>

namespace hostline::bench {

inline std::string GeneratedHostsFile(int lines, const char* lineEnd = "\r\n",
                                      const char* host = "service.example.com") {
    std::string file;
    file.reserve(static_cast<std::size_t>(lines) * 40);
    char line[160];
    for (int i = 0; i < lines - 1; ++i) {
        int length = 0;
        if (i % 1000 == 0) {
            length = std::snprintf(line, sizeof line, "# block list section %d", i / 1000);
        } else if (i % 1000 == 1) {
            length = 0;
        } else if (i % 1000 == 2) {
            length = std::snprintf(line, sizeof line, "# 10.0.0.%d %s", i % 200, host);
        } else if (i % 250000 == 3) {
            length = std::snprintf(line, sizeof line, "\t%s", host);
        } else {
            length = std::snprintf(line, sizeof line, "0.0.0.0 ads%d.tracker-%d.example.net", i, i % 977);
        }
        file.append(line, static_cast<std::size_t>(length));
        file += lineEnd;
    }
    if (lines > 0) file += std::string("192.0.2.1\t\t") + host + lineEnd;
    return file;
}

}  // namespace hostline::bench
