#include "save.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "change_finder.h"
#include "errors.h"
#include "failure_record.h"
#include "file_access.h"
#include "hosts_path.h"
#include "line_runs.h"
#include "put_back.h"

namespace hostline::win32 {

namespace {

// What a save reads before it writes: where the first line that changes starts, and the file's
// bytes from there on, which are both the input of the new content and what a failed write puts
// back.
struct SaveInput {
    std::uint64_t From = 0;
    FileBytes Tail;
    std::string_view Old() const { return Tail.View(); }
};

// False with the failing step and its code; a file of no text the program knows is not read on.
bool ReadSaveInput(HANDLE file, const HostsConstants& constants, const BufferSizes& sizes, SaveInput& input,
                   FailedStep& step, DWORD& error) {
    step = FailedStep::Read;
    LineRuns runs(ReaderFrom(file, 0, error), sizes.ReadRun);
    const StreamedPrefix prefix = UnchangedPrefixInRuns(runs, constants);
    if (prefix.ReadFailed) return false;
    if (prefix.Encoding == HostsEncoding::Unrecognised) {
        step = FailedStep::Recognise;
        error = ERROR_INVALID_DATA;
        return false;
    }
    std::uint64_t length = 0;
    if (!FileLength(file, length, error)) return false;
    // A change among the bytes that tell the encoding is checked against the whole new start, so
    // the file is then read from its start; past them, the start the next reader looks at stays.
    input.From = prefix.Unchanged < kEncodingSample ? 0 : std::min(prefix.Unchanged, length);
    return ReadFrom(file, input.From, length - input.From, input.Tail, error);
}

// Only compares: for a file the save may not write, whose content must already be the new one.
class SameAsOld final : public ChangeFinder {
public:
    explicit SameAsOld(const SaveInput& input) : ChangeFinder(input.From, input.Old(), kMaxTransfer) {}

private:
    bool Begin(std::uint64_t) override { return false; }
    bool Changed(std::uint64_t, std::string_view) override { return false; }
};

// Holds an exclusive lock on everything from an offset on, for as long as it lives.
class RangeLock {
public:
    RangeLock() = default;
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;
    ~RangeLock() {
        if (file_) UnlockFileEx(file_, 0, kLengthLow, kLengthHigh, &at_);
    }

    bool Lock(HANDLE file, std::uint64_t from, DWORD& error) {
        at_ = OVERLAPPED{};
        at_.Offset = static_cast<DWORD>(from);
        at_.OffsetHigh = static_cast<DWORD>(from >> 32);
        if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kLengthLow, kLengthHigh, &at_)) {
            error = LastErrorOr(ERROR_LOCK_VIOLATION);
            return false;
        }
        file_ = file;
        return true;
    }

private:
    // Far past any end the file could grow to, without the range's end overflowing.
    static constexpr DWORD kLengthLow = 0;
    static constexpr DWORD kLengthHigh = 0x40000000;
    HANDLE file_ = nullptr;
    OVERLAPPED at_{};
};

// Writes the new content from its first change on, one piece a write. Before the first write it
// takes what undoing needs (the memory of PutBack, and the lock that keeps other programs from
// writing in between); afterwards it records what it wrote and which piece failed, and after the
// first failure stops.
class ChangeWriter final : public ChangeFinder {
public:
    ChangeWriter(HANDLE file, const SaveInput& input, const std::wstring& hostsPath)
        : ChangeFinder(input.From, input.Old(), kMaxTransfer), file_(file), hostsPath_(hostsPath) {}

    // Cuts the file at the end of the new content and flushes it to the disk. True when the file
    // now holds the new content, whether or not anything had to be written.
    bool Finish() {
        if (Stopped()) return false;
        if (!Differs()) return true;
        if (!Began() && !StartChanging()) return false;
        // Cutting the file counts as writing the old bytes it takes away.
        written_.Written.To = std::max(written_.Written.To, OldEnd());
        if (!SetLength(file_, End(), error_)) return Fail(FailedStep::Write, error_);
        // A save reported as done has to be on the disk, not only in the cache: a power cut right
        // after the message must not take it back.
        if (!FlushFileBuffers(file_)) return Fail(FailedStep::Flush, LastErrorOr(ERROR_WRITE_FAULT));
        return true;
    }

    // The new content could not be built; a failure before it is the one to tell.
    void FailForMemory() {
        if (!Stopped()) Fail(FailedStep::Write, ERROR_NOT_ENOUGH_MEMORY);
        Stop();
    }

    FailedStep Step() const { return step_; }
    DWORD Error() const { return error_; }
    // Whether anything may have been written, and so has to be put back.
    bool Wrote() const { return Began() && (!written_.Written.Empty() || !written_.Failed.Empty()); }
    const WrittenRanges& Written() const { return written_; }
    PutBack& Undo() { return putBack_; }

private:
    bool Begin(std::uint64_t firstChange) override {
        written_.Written = {firstChange, firstChange};
        if (!putBack_.Prepare(hostsPath_)) return Fail(FailedStep::Write, ERROR_NOT_ENOUGH_MEMORY);
        if (!lock_.Lock(file_, firstChange, error_)) return Fail(FailedStep::Lock, error_);
        return true;
    }

    bool Changed(std::uint64_t offset, std::string_view piece) override {
        if (WriteAt(file_, offset, piece, error_)) {
            written_.Written.To = offset + piece.size();
            return true;
        }
        written_.Failed = {offset, offset + piece.size()};
        return Fail(FailedStep::Write, error_);
    }

    bool Fail(FailedStep step, DWORD error) {
        step_ = step;
        error_ = error;
        return false;
    }

    HANDLE file_;
    const std::wstring& hostsPath_;
    RangeLock lock_;
    PutBack putBack_;
    WrittenRanges written_;
    FailedStep step_ = FailedStep::Write;
    DWORD error_ = ERROR_SUCCESS;
};

SaveOutcome FailedSave(SaveOutcome outcome, FailedStep step, DWORD error) {
    outcome.Result = SaveResult::Failed;
    RecordFailure(outcome.Failure, step, error);
    return outcome;
}

// The new content from the input's start on, given to `sink`. False when it could not be built
// (a UTF-16 file's is built whole in memory).
bool EmitSavedContent(const SaveInput& input, LineChoice choice, const HostsConstants& constants,
                      const BufferSizes& sizes, ContentSink& sink) {
    try {
        EmitNewTail(input.Old(), input.From == 0, choice, constants, sink, sizes);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The system refused to open the file for writing: it is read as it is, and if it already holds
// what the choice asks for, the save is done without writing.
bool AlreadyHoldsTheChoice(const std::wstring& path, LineChoice choice, const HostsConstants& constants,
                           const BufferSizes& sizes) {
    DWORD ignored = ERROR_SUCCESS;
    FailedStep notTold = FailedStep::Read;
    const UniqueFile reader = OpenForReading(path, ignored);
    SaveInput input;
    if (!reader || !ReadSaveInput(reader.Get(), constants, sizes, input, notTold, ignored)) return false;
    SameAsOld compare(input);
    return EmitSavedContent(input, choice, constants, sizes, compare) && !compare.Stopped() && !compare.Differs();
}

// Writes the choice through the handle the input was read with; whatever fails after the first
// write is undone, or the old content copied aside.
SaveOutcome WriteChoice(HANDLE file, const SaveInput& input, LineChoice choice, const HostsConstants& constants,
                        const BufferSizes& sizes, SaveOutcome outcome) {
    ChangeWriter writer(file, input, outcome.Failure.Path);
    if (!EmitSavedContent(input, choice, constants, sizes, writer)) writer.FailForMemory();
    if (writer.Finish()) {
        outcome.Changed = writer.Differs();
        return outcome;
    }
    outcome = FailedSave(std::move(outcome), writer.Step(), writer.Error());
    if (writer.Wrote() &&
        !writer.Undo().Restore(file, input.From, input.Old(), writer.Written())) {
        outcome.Failure.FileAsItWas = false;
        outcome.Failure.RecoveryPath = writer.Undo().CopyOldContent(file, input.From, input.Old());
    }
    return outcome;
}

}  // namespace

SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes) noexcept {
    SaveOutcome outcome;
    if (choice == LineChoice::Other) return outcome;
    DWORD error = ERROR_SUCCESS;
    FailedStep step = FailedStep::Locate;
    // Until WriteChoice nothing is written, so a shortage of memory leaves the file as it was.
    try {
        if (!FindHostsPath(outcome.Failure.Path, error)) return FailedSave(std::move(outcome), step, error);
        // The file is read again as it is now, through the one handle the save writes with. It lets
        // others read but not write, so no other program's change can fall between the reading and
        // the writing and be overwritten.
        step = FailedStep::Open;
        const UniqueFile file =
            OpenExisting(outcome.Failure.Path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, error);
        if (!file) {
            if (AlreadyHoldsTheChoice(outcome.Failure.Path, choice, constants, sizes)) return outcome;
            return FailedSave(std::move(outcome), step, error);
        }
        SaveInput input;
        if (!ReadSaveInput(file.Get(), constants, sizes, input, step, error))
            return FailedSave(std::move(outcome), step, error);
        // What this program wrote must be what the next start reads: a save that would make it
        // refuse or misread the file is not made.
        if (input.From == 0 && !NewContentReadsBack(input.Old(), choice, constants))
            return FailedSave(std::move(outcome), FailedStep::ReadBack, ERROR_INVALID_DATA);
        return WriteChoice(file.Get(), input, choice, constants, sizes, std::move(outcome));
    } catch (const std::bad_alloc&) {
        return FailedSave(std::move(outcome), step, ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // namespace hostline::win32
