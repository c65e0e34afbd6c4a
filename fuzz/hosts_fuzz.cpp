// libFuzzer target: any bytes as a hosts file, after two control bytes. The first chooses the
// line and whether the two line addresses are equal; the second the sizes of the read runs and of
// the staging buffer (1 to 16 bytes each), so that every input crosses their boundaries. Any
// difference from the plain model aborts the run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "hosts_properties.h"
#include "test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hostline;
    if (size < 2) return 0;
    static constexpr LineChoice kChoices[] = {LineChoice::Automatic, LineChoice::Line1, LineChoice::Line2};

    const LineChoice choice = kChoices[data[0] % 3];
    const HostsConstants& constants = (data[0] & 0x80) ? testing::kEqualLines : testing::kConstants;
    const BufferSizes sizes{1u + (data[1] & 0x0F), 1u + (data[1] >> 4)};
    const std::size_t step = 1 + (data[0] >> 2 & 0x1F);
    const std::string_view file(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::string problem = testing::CompareWithModel(file, choice, constants, sizes, step);
    if (!problem.empty()) {
        std::fprintf(stderr, "the program differs from the model: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
