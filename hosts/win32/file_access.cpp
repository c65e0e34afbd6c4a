#include "file_access.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "errors.h"

namespace hostline::win32 {

namespace {

constexpr DWORD kSharingRetryMilliseconds = 1000;
constexpr DWORD kSharingRetryPause = 50;

// Every read and write places the file pointer and then follows it: under Wine a ReadFile or
// WriteFile at an offset of its own costs a round trip to its server, which for a big hosts file
// took longer than the reading itself, while placing the pointer costs next to nothing.
bool Place(HANDLE file, std::uint64_t offset, DWORD& error) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return true;
    error = LastErrorOr(ERROR_SEEK);
    return false;
}

DWORD Piece(std::uint64_t left) {
    return static_cast<DWORD>(std::min<std::uint64_t>(left, kMaxTransfer));
}

// One WriteFile of at most one piece.
bool WritePiece(HANDLE file, std::uint64_t offset, std::string_view bytes, DWORD& error) {
    DWORD written = 0;
    if (!Place(file, offset, error)) return false;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        error = LastErrorOr(ERROR_WRITE_FAULT);
        return false;
    }
    if (written != bytes.size()) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

}  // namespace

UniqueFile OpenExisting(const std::wstring& path, DWORD access, DWORD share, DWORD& error) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        UniqueFile file(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (file) return file;
        error = LastErrorOr(ERROR_OPEN_FAILED);
        const bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!transient || GetTickCount64() - start >= kSharingRetryMilliseconds) return file;
        Sleep(kSharingRetryPause);
    }
}

UniqueFile OpenForReading(const std::wstring& path, DWORD& error) {
    return OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, error);
}

bool FileLength(HANDLE file, std::uint64_t& length, DWORD& error) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = LastErrorOr(ERROR_READ_FAULT);
        return false;
    }
    length = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool ReadAt(HANDLE file, std::uint64_t offset, char* data, std::size_t size, std::size_t& got, DWORD& error) {
    got = 0;
    if (!Place(file, offset, error)) return false;
    while (got < size) {
        DWORD read = 0;
        if (!ReadFile(file, data + got, Piece(size - got), &read, nullptr)) {
            error = LastErrorOr(ERROR_READ_FAULT);
            return false;
        }
        if (read == 0) break;
        got += read;
    }
    return true;
}

bool WriteAt(HANDLE file, std::uint64_t offset, std::string_view bytes, DWORD& error) {
    for (std::size_t done = 0; done < bytes.size(); done += kMaxTransfer) {
        if (!WritePiece(file, offset + done, bytes.substr(done, kMaxTransfer), error)) return false;
    }
    return true;
}

bool SetLength(HANDLE file, std::uint64_t length, DWORD& error) {
    if (!Place(file, length, error)) return false;
    if (SetEndOfFile(file)) return true;
    error = LastErrorOr(ERROR_WRITE_FAULT);
    return false;
}

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

LineRuns::Reader ReaderFrom(HANDLE file, std::uint64_t offset, DWORD& error) {
    return [file, offset, &error](char* into, std::size_t room, std::size_t& got) mutable {
        const bool ok = ReadAt(file, offset, into, std::min(room, kMaxTransfer), got, error);
        offset += got;
        return ok;
    };
}

}  // namespace hostline::win32
