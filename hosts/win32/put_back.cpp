#include "put_back.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "file_access.h"
#include "unique_handle.h"

namespace hostline::win32 {

namespace {

constexpr wchar_t kCopySuffix[] = L".before-hostline";
constexpr int kCopiesPerFolder = 9;  // hosts.before-hostline, then -2 to -9

std::wstring TempFolderHosts() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return {};
    return std::wstring(temp, length) + L"hosts";
}

}  // namespace

bool PutBack::Prepare(const std::wstring& hostsPath) noexcept {
    try {
        buffer_.reset(new char[kMaxTransfer]);
        for (const std::wstring& base : {hostsPath, TempFolderHosts()}) {
            if (base.empty()) continue;
            for (int n = 1; n <= kCopiesPerFolder; ++n) {
                copyNames_.push_back(base + kCopySuffix);
                if (n > 1) copyNames_.back() += std::wstring{L'-', static_cast<wchar_t>(L'0' + n)};
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool PutBack::ReadsBackAs(HANDLE file, std::uint64_t offset, std::string_view expected) noexcept {
    std::size_t got = 0;
    DWORD error = ERROR_SUCCESS;
    return ReadAt(file, offset, buffer_.get(), expected.size(), got, error) && got == expected.size() &&
           std::memcmp(buffer_.get(), expected.data(), got) == 0;
}

// A failed write may have written the bytes before the place it failed at: only the span from the
// first byte that differs from the old ones to the last goes back.
bool PutBack::PutBackWhereChanged(HANDLE file, std::uint64_t from, std::string_view old, ByteRange piece) noexcept {
    piece.To = std::min<std::uint64_t>(piece.To, from + old.size());
    if (piece.Empty()) return true;
    if (piece.To - piece.From > kMaxTransfer) return false;  // no piece of a save is longer than the buffer
    const std::string_view expected = old.substr(static_cast<std::size_t>(piece.From - from),
                                                 static_cast<std::size_t>(piece.To - piece.From));
    std::size_t got = 0;
    DWORD error = ERROR_SUCCESS;
    if (!ReadAt(file, piece.From, buffer_.get(), expected.size(), got, error) || got != expected.size()) return false;
    std::size_t first = 0;
    std::size_t end = got;
    while (first < end && buffer_[first] == expected[first]) ++first;
    while (end > first && buffer_[end - 1] == expected[end - 1]) --end;
    if (first == end) return true;
    const std::string_view changed = expected.substr(first, end - first);
    return WriteAt(file, piece.From + first, changed, error) || ReadsBackAs(file, piece.From + first, changed);
}

bool PutBack::Restore(HANDLE file, std::uint64_t from, std::string_view old, const WrittenRanges& written) noexcept {
    if (!PutBackWhereChanged(file, from, old, written.Failed)) return false;
    const std::uint64_t oldEnd = from + old.size();
    const std::uint64_t end = std::min(written.Written.To, oldEnd);
    DWORD error = ERROR_SUCCESS;
    for (std::uint64_t at = written.Written.From; at < end; at += kMaxTransfer) {
        const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, kMaxTransfer));
        const std::string_view piece = old.substr(static_cast<std::size_t>(at - from), size);
        if (!WriteAt(file, at, piece, error) && !ReadsBackAs(file, at, piece)) return false;
    }
    return SetLength(file, oldEnd, error) && FlushFileBuffers(file);
}

bool PutBack::CopyInto(HANDLE copy, HANDLE file, std::uint64_t from, std::string_view old) noexcept {
    DWORD error = ERROR_SUCCESS;
    std::uint64_t offset = 0;
    for (std::size_t got = 0; offset < from; offset += got) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(from - offset, kMaxTransfer));
        if (!ReadAt(file, offset, buffer_.get(), piece, got, error) || got == 0 ||
            !WriteAt(copy, offset, std::string_view(buffer_.get(), got), error))
            return false;
    }
    return WriteAt(copy, offset, old, error) && FlushFileBuffers(copy);
}

std::wstring PutBack::CopyOldContent(HANDLE file, std::uint64_t from, std::string_view old) noexcept {
    for (std::size_t i = 0; i < copyNames_.size(); ++i) {
        const std::wstring& name = copyNames_[i];
        UniqueFile copy(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!copy) {
            const DWORD error = GetLastError();
            // Taken: the next name in this folder. Any other failure: the next folder.
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                i = (i / kCopiesPerFolder + 1) * kCopiesPerFolder - 1;
            continue;
        }
        const bool copied = CopyInto(copy.Get(), file, from, old);
        if (copy.Reset() && copied) return std::move(copyNames_[i]);
        DeleteFileW(name.c_str());
        i = (i / kCopiesPerFolder + 1) * kCopiesPerFolder - 1;
    }
    return {};
}

}  // namespace hostline::win32
