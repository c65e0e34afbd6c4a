// Undoing a write that failed part-way: the old bytes go back over what it wrote and over what the
// failed piece changed, with the old length; when even that fails, the whole old content is copied
// into a new file.
// Everything this needs in memory is taken before the first write, so that a failed write is never
// followed by a failure to allocate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hostline::win32 {

// Bytes [From, To) of the file.
struct ByteRange {
    std::uint64_t From = 0;
    std::uint64_t To = 0;
    bool Empty() const { return To <= From; }
};

// What a save did to the file: the range its writes (and its cutting of the file) changed with
// calls that succeeded, and the piece whose write failed, which may hold new bytes before the
// place it failed at.
struct WrittenRanges {
    ByteRange Written;
    ByteRange Failed;
};

class PutBack {
public:
    // Takes a piece-sized buffer and the names a copy may get (beside the hosts file, then in the
    // temporary folder). False when memory is short; then nothing may be written.
    bool Prepare(const std::wstring& hostsPath) noexcept;

    // The file's old bytes are `old` from `from` on. Puts the old bytes back over the written range,
    // and over the failed piece only where it reads back changed, so that the bytes a write failed
    // on (a bad sector) are never written again; then the old length, and flushes. A piece that
    // cannot be written again counts as put back when it reads back as the old bytes (a write
    // refused over a range another program locks changes nothing).
    bool Restore(HANDLE file, std::uint64_t from, std::string_view old, const WrittenRanges& written) noexcept;

    // Copies the untouched start [0, from), read from the file, and then `old` into the first of the
    // names that does not exist yet, never over an existing file. Returns that name, or empty text.
    std::wstring CopyOldContent(HANDLE file, std::uint64_t from, std::string_view old) noexcept;

private:
    bool ReadsBackAs(HANDLE file, std::uint64_t offset, std::string_view expected) noexcept;
    bool PutBackWhereChanged(HANDLE file, std::uint64_t from, std::string_view old, ByteRange piece) noexcept;
    bool CopyInto(HANDLE copy, HANDLE file, std::uint64_t from, std::string_view old) noexcept;

    std::unique_ptr<char[]> buffer_;
    std::vector<std::wstring> copyNames_;
};

}  // namespace hostline::win32
