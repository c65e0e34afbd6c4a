#include "hosts_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <memory>

#include "line_runs.h"
#include "unique_handle.h"

namespace hostline::win32 {

namespace {

constexpr wchar_t kHostsSuffix[] = L"\\drivers\\etc\\hosts";

// The DNS Client service and virus scanners hold the hosts file open for short moments; an open
// that collides with them is tried again for about a second before it counts as failed.
constexpr DWORD kSharingRetryMilliseconds = 1000;
constexpr DWORD kSharingRetryPause = 50;

// The most one ReadFile or WriteFile moves. Writes go in pieces of this size, so that a write that
// fails leaves at most one piece whose bytes are in doubt.
constexpr std::size_t kMaxTransfer = 1u << 20;

UniqueFile OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        UniqueFile file(CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = GetLastError();
        const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!transient || GetTickCount64() - start >= kSharingRetryMilliseconds) {
            SetLastError(error);
            return file;
        }
        Sleep(kSharingRetryPause);
    }
}

// The system directory without a trailing backslash; empty text when the query fails.
std::wstring SystemDirectory() {
    std::wstring directory(MAX_PATH, L'\0');
    // A directory longer than the buffer makes the call return the size it needs, terminator
    // included; the second try has that room, unless the directory changed in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const UINT length = GetSystemDirectoryW(directory.data(), static_cast<UINT>(directory.size()));
        if (length == 0) return {};
        if (length < directory.size()) {
            directory.resize(length);
            return directory;
        }
        directory.assign(length, L'\0');
    }
    return {};
}

// Bytes read from a file into one buffer of their own.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
    std::string_view View() const { return {Data.get(), Size}; }
};

FileFailure FailureOf(DWORD code, const std::wstring& path) {
    return {code, path, ErrorText(code)};
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

DWORD Piece(std::uint64_t left) {
    return static_cast<DWORD>(std::min<std::uint64_t>(left, kMaxTransfer));
}

// `size` bytes from `offset` on, or fewer where the file ends first.
bool ReadAt(HANDLE file, std::uint64_t offset, char* data, std::size_t size, std::size_t& got, DWORD& error) {
    got = 0;
    while (got < size) {
        OVERLAPPED at = At(offset + got);
        DWORD read = 0;
        if (!ReadFile(file, data + got, Piece(size - got), &read, &at)) {
            error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            return false;
        }
        if (read == 0) break;
        got += read;
    }
    return true;
}

// One write at `offset`. A WriteFile that reports success with fewer bytes written has failed
// too: Wine does exactly that on a full disk.
bool WriteAt(HANDLE file, std::uint64_t offset, std::string_view bytes, DWORD& error) {
    OVERLAPPED at = At(offset);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &at)) {
        error = GetLastError();
        return false;
    }
    if (written != bytes.size()) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

// `bytes` at `offset` on, one write a piece, stopping at the first that fails.
bool WriteInPieces(HANDLE file, std::uint64_t offset, std::string_view bytes, DWORD& error) {
    for (std::size_t done = 0; done < bytes.size(); done += kMaxTransfer) {
        if (!WriteAt(file, offset + done, bytes.substr(done, kMaxTransfer), error)) return false;
    }
    return true;
}

bool SetLength(HANDLE file, std::uint64_t length, DWORD& error) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file)) return true;
    error = GetLastError();
    return false;
}

// The `count` bytes from `offset` on, in one new buffer. This is a 32-bit process: a part too
// big for memory is a failure (ERROR_NOT_ENOUGH_MEMORY), not a crash.
bool ReadFrom(HANDLE file, std::uint64_t offset, std::uint64_t count, FileBytes& bytes, DWORD& error) {
    if (count >= PTRDIFF_MAX / 2) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    const auto size = static_cast<std::size_t>(count);
    bytes.Data.reset(new (std::nothrow) char[size ? size : 1]);
    if (!bytes.Data) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    return ReadAt(file, offset, bytes.Data.get(), size, bytes.Size, error);
}

bool ReadWhole(HANDLE file, FileBytes& bytes, DWORD& error) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = GetLastError();
        return false;
    }
    return ReadFrom(file, 0, static_cast<std::uint64_t>(size.QuadPart), bytes, error);
}

// Reading shares everything, so that the DNS Client service or an editor holding the file does
// not stop the program from starting.
UniqueFile OpenForReading(const std::wstring& path) {
    return OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
}

// Reads on from where the handle stands; the first failing read leaves its code in `error`.
LineRuns::Reader ReaderOf(HANDLE file, DWORD& error) {
    return [file, &error](char* into, std::size_t room, std::size_t& got) {
        DWORD read = 0;
        const bool ok = ReadFile(file, into, Piece(room), &read, nullptr) != FALSE;
        if (!ok) error = GetLastError();
        got = read;
        return ok;
    };
}

// What a save reads before it writes: where the first line that changes starts, and the file's
// bytes from there on, which are both the input of the new content and what a failed write puts
// back.
struct SaveInput {
    std::uint64_t From = 0;
    FileBytes Tail;
    DWORD Error = ERROR_SUCCESS;
    std::string_view Old() const { return Tail.View(); }
};

bool ReadSaveInput(HANDLE file, const HostsConstants& constants, const BufferSizes& sizes, SaveInput& input) {
    StreamedPrefix prefix;
    try {
        LineRuns runs(ReaderOf(file, input.Error), sizes.ReadRun);
        prefix = UnchangedPrefixInRuns(runs, constants);
    } catch (const std::bad_alloc&) {
        input.Error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    LARGE_INTEGER size{};
    if (prefix.ReadFailed) return false;
    if (!GetFileSizeEx(file, &size)) {
        input.Error = GetLastError();
        return false;
    }
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    input.From = std::min(prefix.Unchanged, total);
    return ReadFrom(file, input.From, total - input.From, input.Tail, input.Error);
}

void EmitFor(const SaveInput& input, LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes,
             ContentSink& sink) {
    EmitNewTail(input.Old(), input.From == 0, choice, constants, sink, sizes);
}

// Tells whether the new content is the old one, byte for byte, without keeping a copy of it.
class SameAsOld final : public ContentSink {
public:
    explicit SameAsOld(std::string_view old) : old_(old) {}
    void Write(std::string_view bytes) override {
        same_ = same_ && old_.substr(at_, bytes.size()) == bytes;
        if (same_) at_ += bytes.size();
    }
    bool Same() const { return same_ && at_ == old_.size(); }

private:
    std::string_view old_;
    std::size_t at_ = 0;
    bool same_ = true;
};

bool ChangesNothing(const SaveInput& input, LineChoice choice, const HostsConstants& constants,
                    const BufferSizes& sizes) {
    SameAsOld compare(input.Old());
    try {
        EmitFor(input, choice, constants, sizes, compare);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return compare.Same();
}

// Writes the new content from `from` on in pieces, remembering how far the file may have changed
// and, after the first failure, only that one happened.
class TailWriter final : public ContentSink {
public:
    TailWriter(HANDLE file, std::uint64_t from) : file_(file), at_(from), touchedEnd_(from) {}

    void Write(std::string_view bytes) override {
        if (!ok_) return;
        touchedEnd_ = std::max(touchedEnd_, at_ + bytes.size());
        ok_ = WriteInPieces(file_, at_, bytes, error_);
        at_ += bytes.size();
    }

    // Cuts the file at the end of what was written; what stood beyond it is changed too.
    bool Finish(std::uint64_t oldEnd) {
        if (!ok_) return false;
        touchedEnd_ = std::max(touchedEnd_, oldEnd);
        return ok_ = SetLength(file_, at_, error_);
    }

    void Fail(DWORD error) {
        ok_ = false;
        error_ = error;
    }
    bool Ok() const { return ok_; }
    DWORD Error() const { return error_; }
    std::uint64_t TouchedEnd() const { return touchedEnd_; }

private:
    HANDLE file_;
    std::uint64_t at_;
    std::uint64_t touchedEnd_;
    bool ok_ = true;
    DWORD error_ = ERROR_SUCCESS;
};

bool ReadsBackAs(HANDLE file, std::uint64_t offset, std::string_view expected) {
    std::string bytes(expected.size(), '\0');
    std::size_t got = 0;
    DWORD error = ERROR_SUCCESS;
    return ReadAt(file, offset, bytes.data(), bytes.size(), got, error) && got == bytes.size() && bytes == expected;
}

// Puts back the old bytes over everything a failed write may have changed, then the old length,
// and flushes. A piece that cannot be written again may never have been changed (a write refused
// over a range another program locks changes nothing); reading it back tells.
bool PutBack(HANDLE file, std::uint64_t from, std::string_view old, std::uint64_t touchedEnd) {
    const std::uint64_t end = std::min<std::uint64_t>(touchedEnd, from + old.size());
    DWORD error = ERROR_SUCCESS;
    for (std::uint64_t at = from; at < end; at += kMaxTransfer) {
        const std::string_view piece = old.substr(static_cast<std::size_t>(at - from), Piece(end - at));
        if (!WriteAt(file, at, piece, error) && !ReadsBackAs(file, at, piece)) return false;
    }
    return SetLength(file, from + old.size(), error) && FlushFileBuffers(file);
}

bool CopyTo(HANDLE out, HANDLE file, std::uint64_t count, std::string_view tail) {
    std::string buffer(Piece(count), '\0');
    std::uint64_t offset = 0;
    DWORD error = ERROR_SUCCESS;
    for (std::size_t got = 0; offset < count; offset += got) {
        if (!ReadAt(file, offset, buffer.data(), Piece(count - offset), got, error) || got == 0 ||
            !WriteAt(out, offset, std::string_view(buffer.data(), got), error))
            return false;
    }
    return WriteInPieces(out, offset, tail, error) && FlushFileBuffers(out);
}

// Saves the whole old content (the untouched start, read from the file, and the old tail) in a
// new file beside the hosts file, or in the temporary folder when that fails; never over an
// existing file. Returns its path, or nothing when no copy could be made.
std::wstring SaveOldContent(HANDLE file, const std::wstring& hostsPath, const SaveInput& input) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempLength = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring bases[] = {hostsPath, {}};
    if (tempLength > 0 && tempLength <= MAX_PATH) bases[1] = std::wstring(temp, tempLength) + L"hosts";
    for (const std::wstring& base : bases) {
        if (base.empty()) continue;
        for (wchar_t n = L'1'; n <= L'9'; ++n) {
            const std::wstring path = base + L".before-hostline" + (n > L'1' ? std::wstring{L'-', n} : L"");
            UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
            if (!out) {
                if (GetLastError() == ERROR_FILE_EXISTS) continue;
                break;
            }
            const bool copied = CopyTo(out.Get(), file, input.From, input.Old());
            if (out.Reset() && copied) return path;
            DeleteFileW(path.c_str());
            break;
        }
    }
    return {};
}

SaveOutcome Failed(SaveOutcome outcome, SaveStep step, DWORD error) {
    outcome.Result = SaveResult::Failed;
    outcome.Step = step;
    outcome.Error = error;
    outcome.Attributes = GetFileAttributesW(outcome.Path.c_str());
    return outcome;
}

// Holds an exclusive lock on everything from an offset on, for as long as it lives.
class RangeLock {
public:
    RangeLock(HANDLE file, std::uint64_t from) : file_(file), at_(At(from)) {
        locked_ = LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, kLengthLow, kLengthHigh,
                             &at_) != FALSE;
        if (!locked_) error_ = GetLastError();
    }
    ~RangeLock() {
        if (locked_) UnlockFileEx(file_, 0, kLengthLow, kLengthHigh, &at_);
    }
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;
    bool Locked() const { return locked_; }
    DWORD Error() const { return error_; }

private:
    // Far past any end the file could grow to, without the range's end overflowing.
    static constexpr DWORD kLengthLow = 0;
    static constexpr DWORD kLengthHigh = 0x40000000;
    HANDLE file_;
    OVERLAPPED at_;
    bool locked_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// The write itself, through the handle the input was read with. Nothing is written before the
// range is locked against other programs; whatever fails after the first write is undone.
SaveOutcome WriteNewContent(HANDLE file, const SaveInput& input, LineChoice choice, const HostsConstants& constants,
                            const BufferSizes& sizes, SaveOutcome outcome) {
    const RangeLock lock(file, input.From);
    if (!lock.Locked()) return Failed(outcome, SaveStep::Lock, lock.Error());
    TailWriter writer(file, input.From);
    try {
        EmitFor(input, choice, constants, sizes, writer);
    } catch (const std::bad_alloc&) {  // a UTF-16 file's new text is built in memory
        writer.Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    SaveStep failed = SaveStep::Write;
    DWORD error = ERROR_SUCCESS;
    if (writer.Finish(input.From + input.Old().size())) {
        // A save reported as done has to be on the disk, not only in the cache: a power cut right
        // after the message must not take it back.
        if (FlushFileBuffers(file)) return outcome;
        failed = SaveStep::Flush;
        error = GetLastError();
    } else {
        error = writer.Error();
    }
    outcome = Failed(outcome, failed, error);
    if (!PutBack(file, input.From, input.Old(), writer.TouchedEnd())) {
        outcome.FileAsItWas = false;
        outcome.RecoveryPath = SaveOldContent(file, outcome.Path, input);
    }
    return outcome;
}

}  // namespace

std::wstring ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring HostsPath() {
    return SystemDirectory() + kHostsSuffix;
}

DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes) {
    DetectionResult result;
    const std::wstring path = HostsPath();
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    DWORD error = ERROR_SUCCESS;
    try {
        LineRuns runs(ReaderOf(file.Get(), error), sizes.ReadRun);
        StreamedDetection streamed = DetectLineInRuns(runs, constants);
        if (streamed.Utf16) {
            FileBytes whole;
            if (!ReadWhole(file.Get(), whole, error)) {
                result.Failure = FailureOf(error, path);
                return result;
            }
            streamed.Choice = DetectLine(whole.View(), constants).Choice;
        } else if (streamed.ReadFailed) {
            result.Failure = FailureOf(error, path);
            return result;
        }
        result.Choice = streamed.Choice;
    } catch (const std::bad_alloc&) {
        result.Failure = FailureOf(ERROR_NOT_ENOUGH_MEMORY, path);
        return result;
    }
    result.Ok = true;
    return result;
}

SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes) {
    SaveOutcome outcome;
    if (choice == LineChoice::Other) return outcome;
    outcome.Path = HostsPath();
    // The file is read again as it is now, through the one handle the save writes with. It lets
    // others read but not write, so no other program's change can fall between the reading and
    // the writing and be overwritten.
    SaveInput input;
    const UniqueFile file =
        OpenFile(outcome.Path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file) {
        // Refused: a file that already holds what the choice asks for needs no writing.
        const DWORD refused = GetLastError();
        const UniqueFile reader = OpenForReading(outcome.Path);
        if (reader && ReadSaveInput(reader.Get(), constants, sizes, input) &&
            ChangesNothing(input, choice, constants, sizes))
            return outcome;
        return Failed(outcome, SaveStep::Open, refused);
    }
    if (!ReadSaveInput(file.Get(), constants, sizes, input)) return Failed(outcome, SaveStep::Read, input.Error);
    return WriteNewContent(file.Get(), input, choice, constants, sizes, outcome);
}

bool IsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

}  // namespace hostline::win32
