// A failure with the hosts file, one record from the call that failed to the words the user
// reads: the platform layer fills it in where the failure happens, the window only words it.
// Plain data without Windows, so that which failure gets which words is tested natively.
#pragma once

#include <cstdint>
#include <string>

namespace hostline {

// What the program was doing when it failed. Recognise: telling what kind of text the file holds
// (it holds NULs that fit no kind the program knows; the error is ERROR_INVALID_DATA). ReadBack:
// checking that the next start would read the new content as saved (the save would move NULs
// into the bytes that tell the encoding; the error is ERROR_INVALID_DATA).
enum class FailedStep { Locate, Open, Read, Recognise, ReadBack, Lock, Write, Flush };

// What stood at the hosts file's path right after the failure.
enum class AtHostsPath { File, ReadOnlyFile, Nothing, Folder };

struct HostsFailure {
    FailedStep Step = FailedStep::Open;
    std::uint32_t Error = 0;   // the system's code, taken at the failing call; never 0
    std::wstring Description;  // the system's words for Error
    bool Elevated = false;     // whether the program ran as administrator
    AtHostsPath Found = AtHostsPath::File;
    bool FileAsItWas = true;   // false only when a failed write could not be undone
    std::wstring Path;         // the hosts file, when the system said where it is
    std::wstring RecoveryPath; // a copy of the old content, made when it could not be put back
};

}  // namespace hostline
