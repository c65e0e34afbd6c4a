#include "hosts_win32.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

#include "line_runs.h"
#include "unique_handle.h"

namespace hostline::win32 {

namespace {

constexpr wchar_t kHostsSuffix[] = L"\\drivers\\etc\\hosts";

// The DNS Client service and virus scanners hold the hosts file open for short moments; an open
// that collides with them is tried again for about a second before it counts as failed.
constexpr DWORD kSharingRetryMilliseconds = 1000;
constexpr DWORD kSharingRetryPause = 50;

// One ReadFile or WriteFile moves at most a DWORD's worth; keep well below it.
constexpr DWORD kMaxTransfer = 1u << 30;

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

FileFailure FailureOf(DWORD code, const std::wstring& path) {
    return {code, path, ErrorText(code)};
}

bool ReadExactly(HANDLE file, char* data, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const DWORD ask = static_cast<DWORD>(size - got < kMaxTransfer ? size - got : kMaxTransfer);
        DWORD read = 0;
        if (!ReadFile(file, data + got, ask, &read, nullptr)) return false;
        if (read == 0) break;  // the file got shorter since its size was taken
        got += read;
    }
    return true;
}

// A WriteFile that reports success with fewer bytes written has failed too: Wine does exactly
// that on a full disk.
bool WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD ask = static_cast<DWORD>(left < kMaxTransfer ? left : kMaxTransfer);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, ask, &written, nullptr) || written != ask) return false;
        done += written;
    }
    return true;
}

bool Seek(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

bool SizeIs(HANDLE file, std::uint64_t expected) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) == expected;
}

// Writes the pieces of the new content one after the other; after the first failure it only
// remembers that one happened.
class FileSink : public ContentSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    void Write(std::string_view bytes) override {
        if (ok_) ok_ = WriteAll(file_, bytes);
    }
    bool Ok() const { return ok_; }

private:
    HANDLE file_;
    bool ok_ = true;
};

bool WriteNewContent(HANDLE file, std::uint64_t from, const ContentWriter& writeContent) {
    if (!Seek(file, from)) return false;
    FileSink sink(file);
    try {
        writeContent(sink);
    } catch (const std::exception&) {  // out of memory for a UTF-16 file's new text
        return false;
    }
    return sink.Ok() && SetEndOfFile(file) != FALSE;
}

bool RestoreContent(HANDLE file, std::uint64_t from, std::string_view previous) {
    return Seek(file, from) && WriteAll(file, previous) && SetEndOfFile(file) != FALSE;
}

std::wstring DecodeAddress(std::string_view address, HostsEncoding encoding) {
    switch (encoding) {
        case HostsEncoding::Utf16LE:
        case HostsEncoding::Utf16BE: {
            const std::u16string units = DecodeUtf16(address, encoding == HostsEncoding::Utf16BE);
            return std::wstring(units.begin(), units.end());
        }
        case HostsEncoding::Utf8Bom:
            return FromCodePage(address, CP_UTF8);
        case HostsEncoding::Ansi:
            break;
    }
    return FromCodePage(address, CP_ACP);
}

// Reading shares everything, so that the DNS Client service or an editor holding the file does
// not stop the program from starting.
UniqueFile OpenForReading(const std::wstring& path) {
    return OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
}

LineRuns::Reader ReaderOf(HANDLE file) {
    return [file](char* into, std::size_t room, std::size_t& got) {
        DWORD read = 0;
        const DWORD ask = static_cast<DWORD>(room < kMaxTransfer ? room : kMaxTransfer);
        const bool ok = ReadFile(file, into, ask, &read, nullptr) != FALSE;
        got = read;
        return ok;
    };
}

// The `count` bytes from `offset` on, in one new buffer. This is a 32-bit process: a part too
// big for memory is a failure (ERROR_NOT_ENOUGH_MEMORY), not a crash.
bool ReadFrom(HANDLE file, std::uint64_t offset, std::uint64_t count, FileBytes& bytes) {
    if (count >= PTRDIFF_MAX / 2) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    const auto size = static_cast<std::size_t>(count);
    bytes.Data.reset(new (std::nothrow) char[size ? size : 1]);
    if (!bytes.Data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && ReadExactly(file, bytes.Data.get(), size, bytes.Size);
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

std::wstring SystemDirectory() {
    std::wstring directory(MAX_PATH, L'\0');
    // A directory longer than the buffer makes the call return the size it needs, terminator
    // included; the second try has that room, unless the directory changed in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const UINT length = GetSystemDirectoryW(&directory[0], static_cast<UINT>(directory.size()));
        if (length == 0) return {};
        if (length < directory.size()) {
            directory.resize(length);
            return directory;
        }
        directory.assign(length, L'\0');
    }
    return {};
}

std::wstring HostsPath() {
    return SystemDirectory() + kHostsSuffix;
}

std::wstring FromCodePage(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], length);
    return text;
}

ReadResult ReadWholeFile(const std::wstring& path) {
    ReadResult result;
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || !ReadFrom(file.Get(), 0, static_cast<std::uint64_t>(size.QuadPart), result.Bytes)) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    result.Ok = true;
    return result;
}

SaveOutcome WriteInPlace(const std::wstring& path, std::uint64_t from, std::uint64_t expectedSize,
                         const ContentWriter& writeContent, std::string_view previous) {
    // OPEN_ALWAYS rather than CREATE_ALWAYS: nothing is truncated before the new bytes are ready
    // to go, and a file with the hidden or system attribute is not refused.
    UniqueFile file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!file) return SaveOutcome::Failed;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    // The unchanged prefix is not written again, so it has to be the one that was read: a file
    // that went away or changed size in between is not touched.
    if (created ? expectedSize != 0 : !SizeIs(file.Get(), expectedSize)) {
        file.Reset();
        if (created) DeleteFileW(path.c_str());
        return SaveOutcome::Failed;
    }
    bool ok = WriteNewContent(file.Get(), from, writeContent);
    // A save reported as done has to be on the disk, not only in the cache: a power cut right
    // after the message must not take it back. A flush that fails is a failed write.
    if (ok) ok = FlushFileBuffers(file.Get()) != FALSE;
    if (!ok) RestoreContent(file.Get(), from, previous);
    if (!file.Reset()) ok = false;
    return ok ? SaveOutcome::Succeeded : SaveOutcome::Failed;
}

DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes) {
    DetectionResult result;
    const std::wstring path = HostsPath();
    const UniqueFile file = OpenForReading(path);
    if (!file) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    try {
        LineRuns runs(ReaderOf(file.Get()), sizes.ReadRun);
        StreamedDetection streamed = DetectLineInRuns(runs, constants);
        if (streamed.Utf16) {
            FileBytes whole;
            LARGE_INTEGER size{};
            if (!GetFileSizeEx(file.Get(), &size) || !ReadFrom(file.Get(), 0, static_cast<std::uint64_t>(size.QuadPart), whole)) {
                result.Failure = FailureOf(GetLastError(), path);
                return result;
            }
            const DetectedLine detected = DetectLine(whole.View(), constants);
            streamed.Choice = detected.Choice;
            streamed.Encoding = detected.Encoding;
            streamed.Address.assign(detected.Address);
        } else if (streamed.ReadFailed) {
            result.Failure = FailureOf(GetLastError(), path);
            return result;
        }
        result.Choice = streamed.Choice;
        result.PinnedAddress = DecodeAddress(streamed.Address, streamed.Encoding);
    } catch (const std::bad_alloc&) {
        result.Failure = FailureOf(ERROR_NOT_ENOUGH_MEMORY, path);
        return result;
    }
    result.Ok = true;
    return result;
}

SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes) {
    if (choice == LineChoice::Other) return SaveOutcome::Succeeded;
    // The file is read again as it is now; what was read at start is not trusted to be current.
    // Only the part from the first line that changes is kept, to be rewritten and, should the
    // write fail, put back.
    StreamedPrefix prefix;
    LARGE_INTEGER size{};
    FileBytes tail;
    {
        const UniqueFile file = OpenForReading(HostsPath());
        if (!file) return SaveOutcome::Failed;
        try {
            LineRuns runs(ReaderOf(file.Get()), sizes.ReadRun);
            prefix = UnchangedPrefixInRuns(runs, constants);
        } catch (const std::bad_alloc&) {
            return SaveOutcome::Failed;
        }
        if (prefix.ReadFailed || !GetFileSizeEx(file.Get(), &size)) return SaveOutcome::Failed;
        const auto total = static_cast<std::uint64_t>(size.QuadPart);
        if (total < prefix.Unchanged || !ReadFrom(file.Get(), prefix.Unchanged, total - prefix.Unchanged, tail))
            return SaveOutcome::Failed;
    }
    const std::string_view previous = tail.View();
    const bool atStart = prefix.Unchanged == 0;
    return WriteInPlace(
        HostsPath(), prefix.Unchanged, prefix.Unchanged + previous.size(),
        [&](ContentSink& sink) { EmitNewTail(previous, atStart, choice, constants, sink, sizes); }, previous);
}

}  // namespace hostline::win32
