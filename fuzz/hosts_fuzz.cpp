// libFuzzer target: any bytes as a hosts file, with the first byte choosing the line and whether
// the two line addresses are equal. Every property of a rewrite must hold, or the run aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "../tests/hosts_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hostline;
    if (size == 0) return 0;
    static constexpr HostsConstants kDistinct{"service.example.com", "192.0.2.1", "198.51.100.1"};
    static constexpr HostsConstants kEqual{"service.example.com", "10.0.0.1", "10.0.0.1"};
    static constexpr LineChoice kChoices[] = {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2};

    const LineChoice choice = kChoices[data[0] % 3];
    const HostsConstants& constants = (data[0] & 0x80) ? kEqual : kDistinct;
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string problem = testing::CheckRewrite(file, choice, constants);
    if (problem.empty()) problem = testing::CheckPartialRewrite(file, choice, constants);
    if (!problem.empty()) {
        std::fprintf(stderr, "property violated: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
