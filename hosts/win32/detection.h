// The start's reading of the hosts file: which choice the address of its first entry for the
// host stands for.
#pragma once

#include "hosts_failure.h"
#include "hosts_file.h"

namespace hostline::win32 {

struct DetectionResult {
    bool Ok = false;
    LineChoice Choice = LineChoice::Automatic;
    HostsFailure Failure;  // when not Ok
};

DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes = {});

}  // namespace hostline::win32
