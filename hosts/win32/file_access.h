// The hosts file as bytes at offsets: opening it (with a short retry while another program holds
// it), its length, and reading and writing in pieces. Every operation names its offset and places
// the file pointer there itself, so none depends on where another left it; every failure hands
// back the code of the call that failed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "change_finder.h"  // kMaxTransfer, the most one ReadFile or WriteFile moves
#include "line_runs.h"
#include "unique_handle.h"

namespace hostline::win32 {

// CreateFileW with OPEN_EXISTING. The DNS Client service and virus scanners hold the hosts file
// open for short moments: an open that collides with them is tried again for about a second.
UniqueFile OpenExisting(const std::wstring& path, DWORD access, DWORD share, DWORD& error);

// Reading shares everything, so that the DNS Client service or an editor holding the file does
// not stop the program from reading it.
UniqueFile OpenForReading(const std::wstring& path, DWORD& error);

bool FileLength(HANDLE file, std::uint64_t& length, DWORD& error);

// `size` bytes from `offset` on, or fewer where the file ends first.
bool ReadAt(HANDLE file, std::uint64_t offset, char* data, std::size_t size, std::size_t& got, DWORD& error);

// `bytes` at `offset` on, one write a piece, stopping at the first that fails. A WriteFile that
// reports success with fewer bytes written has failed too: Wine does exactly that on a full disk.
bool WriteAt(HANDLE file, std::uint64_t offset, std::string_view bytes, DWORD& error);

bool SetLength(HANDLE file, std::uint64_t length, DWORD& error);

// Bytes read from a file into one buffer of their own.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
    std::string_view View() const { return {Data.get(), Size}; }
};

// The `count` bytes from `offset` on, in one new buffer. This is a 32-bit process: a part too
// big for memory is a failure (ERROR_NOT_ENOUGH_MEMORY), not a crash.
bool ReadFrom(HANDLE file, std::uint64_t offset, std::uint64_t count, FileBytes& bytes, DWORD& error);

// Reads the file in order from `offset` on, each read at its own offset; the first failing read
// leaves its code in `error`, which must outlive the reader.
LineRuns::Reader ReaderFrom(HANDLE file, std::uint64_t offset, DWORD& error);

}  // namespace hostline::win32
