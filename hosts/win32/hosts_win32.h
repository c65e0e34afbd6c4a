// The thin platform layer of the hosts subsystem: where the hosts file is, reading and writing it
// as bytes, and the detection and line change that the window calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "hosts_file.h"
#include "unique_handle.h"

namespace hostline::win32 {

// The platform's description of an error code, without the trailing line break.
std::wstring ErrorText(DWORD code);

// The system directory without a trailing backslash; empty text when the query fails.
std::wstring SystemDirectory();

// The system directory followed by \drivers\etc\hosts, formed afresh for every open.
std::wstring HostsPath();

// ANSI code page text to wide text, for the few places that need text rather than bytes.
std::wstring FromCodePage(std::string_view bytes, UINT codePage);

// What went wrong in a file operation, for the window to show.
struct FileFailure {
    DWORD Code = ERROR_SUCCESS;
    std::wstring Path;
    std::wstring Description;
};

// Bytes read from a file into one buffer of their own.
struct FileBytes {
    std::unique_ptr<char[]> Data;
    std::size_t Size = 0;
    std::string_view View() const { return {Data.get(), Size}; }
};

struct ReadResult {
    bool Ok = false;
    FileBytes Bytes;
    FileFailure Failure;
};

// The whole file at once, for tests and tools; the program itself reads the hosts file
// in runs (line_runs.h), which never needs a buffer of the file's size.
ReadResult ReadWholeFile(const std::wstring& path);

// Hands the new content, piece by piece, to the sink it is given.
using ContentWriter = std::function<void(ContentSink&)>;

// Replaces the file's content from offset `from` on with what `writeContent` produces, in place.
// `previous` is what the file held from `from` on, and `expectedSize` its size when read: a file
// that has changed size since is left alone. When any step after the open fails, the file gets
// `previous` back before it is closed, so a failed save never leaves it emptied or half-written.
SaveOutcome WriteInPlace(const std::wstring& path, std::uint64_t from, std::uint64_t expectedSize,
                         const ContentWriter& writeContent, std::string_view previous);

struct DetectionResult {
    bool Ok = false;
    LineChoice Choice = LineChoice::Automatic;
    std::wstring PinnedAddress;
    FileFailure Failure;
};

// Reads the hosts file and tells which choice its first pinned address stands for.
DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes = {});

// Carries out the choice on the hosts file; Other touches nothing.
SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes = {});

}  // namespace hostline::win32
