// The save: carries out a choice on the hosts file through one handle, writes only what changes,
// and leaves the file as it was, or a copy of its old content, when a write fails.
#pragma once

#include "hosts_failure.h"
#include "hosts_file.h"

namespace hostline::win32 {

enum class SaveResult { Succeeded, Failed };

struct SaveOutcome {
    SaveResult Result = SaveResult::Succeeded;
    // When Succeeded: whether the file's bytes changed, or it already held the choice (or Other).
    bool Changed = false;
    HostsFailure Failure;  // when Failed
};

// Other touches nothing. A file that already holds what the choice asks for is not written at all
// (so it needs no right to write, and keeps its time). Never throws: every failure, a shortage of
// memory included, ends up in the outcome with the file's true state.
SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes = {}) noexcept;

}  // namespace hostline::win32
