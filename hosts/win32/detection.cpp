#include "detection.h"

#include <new>

#include "failure_record.h"
#include "file_access.h"
#include "hosts_path.h"
#include "line_runs.h"

namespace hostline::win32 {

namespace {

DetectionResult FailedStart(DetectionResult result, FailedStep step, DWORD error) {
    RecordFailure(result.Failure, step, error);
    return result;
}

// UTF-16 files are not read in runs (their terminators are not single bytes): they are read whole.
bool DetectInWholeFile(HANDLE file, const HostsConstants& constants, LineChoice& choice, DWORD& error) {
    std::uint64_t length = 0;
    FileBytes whole;
    if (!FileLength(file, length, error) || !ReadFrom(file, 0, length, whole, error)) return false;
    choice = DetectLine(whole.View(), constants).Choice;
    return true;
}

}  // namespace

DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes) {
    DetectionResult result;
    DWORD error = ERROR_SUCCESS;
    try {
        if (!FindHostsPath(result.Failure.Path, error))
            return FailedStart(std::move(result), FailedStep::Locate, error);
        const UniqueFile file = OpenForReading(result.Failure.Path, error);
        if (!file) return FailedStart(std::move(result), FailedStep::Open, error);
        LineRuns runs(ReaderFrom(file.Get(), 0, error), sizes.ReadRun);
        const StreamedDetection streamed = DetectLineInRuns(runs, constants);
        result.Choice = streamed.Choice;
        if (streamed.ReadFailed) return FailedStart(std::move(result), FailedStep::Read, error);
        // What the window would show for such a file could be untrue: it shows nothing.
        if (streamed.Encoding == HostsEncoding::Unrecognised)
            return FailedStart(std::move(result), FailedStep::Recognise, ERROR_INVALID_DATA);
        if (IsUtf16(streamed.Encoding) && !DetectInWholeFile(file.Get(), constants, result.Choice, error))
            return FailedStart(std::move(result), FailedStep::Read, error);
    } catch (const std::bad_alloc&) {
        return FailedStart(std::move(result), FailedStep::Read, ERROR_NOT_ENOUGH_MEMORY);
    }
    result.Ok = true;
    return result;
}

}  // namespace hostline::win32
