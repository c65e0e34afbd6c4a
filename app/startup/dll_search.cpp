#include "dll_search.h"

#include <windows.h>

namespace hostline::startup {

DllSearch RestrictDllSearch() {
    // SetDefaultDllDirectories came with KB2533623 on Windows 7; an import of it would stop the
    // program from starting on a Windows 7 without that update, so it is looked up instead.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel32 ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr;
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
    if (setDefaultDllDirectories && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return DllSearch::System32Only;
    // The program's own folder stays in the search, but the current directory at least goes.
    return SetDllDirectoryW(L"") ? DllSearch::CurrentDirectoryRemoved : DllSearch::Unchanged;
}

}  // namespace hostline::startup
