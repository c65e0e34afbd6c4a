#include "hosts_win32.h"

#include <cstdint>
#include <new>
#include <stdexcept>

#include "hosts_rules.h"
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

bool Rewind(HANDLE file) {
    LARGE_INTEGER zero{};
    return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != FALSE;
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

bool WriteNewContent(HANDLE file, const ContentWriter& writeContent) {
    if (!Rewind(file)) return false;
    FileSink sink(file);
    try {
        writeContent(sink);
    } catch (const std::exception&) {  // out of memory for a UTF-16 file's new text
        return false;
    }
    return sink.Ok() && SetEndOfFile(file) != FALSE;
}

bool RestoreContent(HANDLE file, std::string_view previous) {
    return Rewind(file) && WriteAll(file, previous) && SetEndOfFile(file) != FALSE;
}

std::wstring DecodeEntry(const DetectedLine& detected) {
    switch (detected.Encoding) {
        case HostsEncoding::Utf16LE:
        case HostsEncoding::Utf16BE: {
            const std::u16string units =
                DecodeUtf16(detected.Entry, detected.Encoding == HostsEncoding::Utf16BE);
            return std::wstring(units.begin(), units.end());
        }
        case HostsEncoding::Utf8Bom:
            return FromCodePage(detected.Entry, CP_UTF8);
        case HostsEncoding::Ansi:
            break;
    }
    return FromCodePage(detected.Entry, CP_ACP);
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
    UniqueFile file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING);
    if (!file) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    // This is a 32-bit process: a file that cannot be held in memory is a failure, not a crash.
    if (static_cast<unsigned long long>(size.QuadPart) >= PTRDIFF_MAX / 2) {
        result.Failure = FailureOf(ERROR_NOT_ENOUGH_MEMORY, path);
        return result;
    }
    const auto bytes = static_cast<std::size_t>(size.QuadPart);
    result.Bytes.Data.reset(new (std::nothrow) char[bytes ? bytes : 1]);
    if (!result.Bytes.Data) {
        result.Failure = FailureOf(ERROR_NOT_ENOUGH_MEMORY, path);
        return result;
    }
    if (!ReadExactly(file.Get(), result.Bytes.Data.get(), bytes, result.Bytes.Size)) {
        result.Failure = FailureOf(GetLastError(), path);
        return result;
    }
    result.Ok = true;
    return result;
}

SaveOutcome WriteInPlace(const std::wstring& path, const ContentWriter& writeContent, std::string_view previous) {
    // OPEN_ALWAYS rather than CREATE_ALWAYS: nothing is truncated before the new bytes are ready
    // to go, and a file with the hidden or system attribute is not refused.
    UniqueFile file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!file) return SaveOutcome::Failed;
    bool ok = WriteNewContent(file.Get(), writeContent);
    if (!ok) RestoreContent(file.Get(), previous);
    if (!file.Reset()) ok = false;
    return ok ? SaveOutcome::Succeeded : SaveOutcome::Failed;
}

DetectionResult DetectCurrentLine(const HostsConstants& constants) {
    DetectionResult result;
    const ReadResult read = ReadWholeFile(HostsPath());
    if (!read.Ok) {
        result.Failure = read.Failure;
        return result;
    }
    try {
        const DetectedLine detected = DetectLine(read.Bytes.View(), constants);
        result.Choice = detected.Choice;
        // The choice was made on bytes; the address itself is taken from decoded text, so that
        // a host name hidden inside a double-byte character is never cut out of it.
        if (!detected.Entry.empty()) {
            const std::wstring entry = DecodeEntry(detected);
            const std::wstring host = Widen<wchar_t>(constants.ServiceHost);
            result.PinnedAddress = AddressOf<wchar_t>(entry, host);
        }
    } catch (const std::bad_alloc&) {
        result.Failure = FailureOf(ERROR_NOT_ENOUGH_MEMORY, HostsPath());
        return result;
    }
    result.Ok = true;
    return result;
}

SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants) {
    if (choice == LineChoice::Other) return SaveOutcome::Succeeded;
    // The file is read again as it is now; what was read at start is not trusted to be current.
    const ReadResult read = ReadWholeFile(HostsPath());
    if (!read.Ok) return SaveOutcome::Failed;
    const std::string_view previous = read.Bytes.View();
    return WriteInPlace(
        HostsPath(), [&](ContentSink& sink) { EmitNewContent(previous, choice, constants, sink); }, previous);
}

}  // namespace hostline::win32
