// Where the program looks for the DLLs it loads after start. Run as administrator from a Downloads
// folder, the default search order would load a planted uxtheme.dll or version.dll from beside
// the program with full rights; this keeps every later load to System32.
#pragma once

namespace hostline::startup {

enum class DllSearch {
    System32Only,             // SetDefaultDllDirectories took effect
    CurrentDirectoryRemoved,  // Windows 7 without KB2533623: only SetDllDirectoryW(L"") was there
    Unchanged,                // neither worked; the program runs on with the default order
};

// Called first in wWinMain, before anything loads a DLL. A failure does not stop the program.
DllSearch RestrictDllSearch();

}  // namespace hostline::startup
