// The thin platform layer of the hosts subsystem: where the hosts file is, reading and writing it
// as bytes, and the detection and line change that the window calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "hosts_file.h"
#include "unique_handle.h"

namespace hostline::win32 {

// The platform's description of an error code, without the trailing line break.
std::wstring ErrorText(DWORD code);

// The system directory followed by \drivers\etc\hosts, formed afresh for every open.
std::wstring HostsPath();

// What went wrong in a file operation, for the window to show.
struct FileFailure {
    DWORD Code = ERROR_SUCCESS;
    std::wstring Path;
    std::wstring Description;
};

// The part of a save that failed, for the outcome to tell.
enum class SaveStep { None, Open, Read, Lock, Write, Flush };

enum class SaveResult { Succeeded, Failed };

// How a save ended. The window's flow only needs Result; the rest is what the user is told.
struct SaveOutcome {
    SaveResult Result = SaveResult::Succeeded;
    SaveStep Step = SaveStep::None;
    DWORD Error = ERROR_SUCCESS;  // taken at the call that failed
    // The file's attributes when the save failed: read-only, a folder in its place, or
    // INVALID_FILE_ATTRIBUTES when it is gone.
    DWORD Attributes = INVALID_FILE_ATTRIBUTES;
    bool FileAsItWas = true;   // false only when a failed write could not be put back
    std::wstring Path;         // the hosts file
    std::wstring RecoveryPath; // a copy of the old content, made when it could not be put back
};

struct DetectionResult {
    bool Ok = false;
    LineChoice Choice = LineChoice::Automatic;
    FileFailure Failure;
};

// Reads the hosts file and tells which choice the address of its first entry for the host stands
// for.
DetectionResult DetectCurrentLine(const HostsConstants& constants, const BufferSizes& sizes = {});

// Carries out the choice on the hosts file; Other touches nothing. A file that already holds what
// the choice asks for is not written at all, so it needs no right to write.
SaveOutcome ChangeLine(LineChoice choice, const HostsConstants& constants, const BufferSizes& sizes = {});

// Whether this process runs elevated; false where the token cannot tell.
bool IsElevated();

}  // namespace hostline::win32
