#!/usr/bin/env bash
# Usage: check_pe.sh OBJDUMP PROGRAM.exe POINTER_SIZE
# The built program as Windows' loader sees it: the right kind of PE file, a GUI program that
# keeps ASLR and DEP, and imports from Windows' own DLLs only, so it runs on a bare system with
# nothing installed. The 32-bit program, the one that ships, also has to keep the DLLs the loader
# brings in to System32 and import nothing that Windows 7 SP1 lacks.
set -euo pipefail
objdump=$1 program=$2 pointer=$3
headers=$("$objdump" -p "$program")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# The little-endian number in the COUNT bytes at virtual address ADDRESS of the image.
number_at() {
    local address=$1 count=$2 hex value=0 i
    hex=$("$objdump" -s --start-address="$address" --stop-address=$((address + count)) "$program" |
          awk -v need=$((2 * count)) '/^ [0-9a-f]+ / { for (i = 2; i <= 5 && length(hex) < need; i++) hex = hex $i }
                                      END { print hex }')
    [ ${#hex} -eq $((2 * count)) ] || { echo -1; return; }
    for ((i = ${#hex} - 2; i >= 0; i -= 2)); do value=$((value * 256 + 16#${hex:i:2})); done
    echo "$value"
}

# Size (hex) of a data directory entry, by its index (hex digit as objdump prints it).
directory_size() { awk -v entry="$1" '$1 == "Entry" && $2 == entry { print $4 }' <<<"$headers"; }

if [ "$pointer" = 4 ]; then
    grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit x86 PE file"
    grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "not PE32"
else
    grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x86-64 PE file"
    grep -qE '^Magic[[:space:]]+020b' <<<"$headers" || fail "not PE32+"
fi
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI program"

# ASLR moves the image only when it carries its base relocations.
for flag in DYNAMIC_BASE NX_COMPAT; do
    grep -qE "^[[:space:]]+$flag\$" <<<"$headers" || fail "DllCharacteristics lack $flag: no ASLR or no DEP"
done
relocations=$(directory_size 5)
[ $((16#${relocations:-0})) -gt 0 ] && grep -q '\.reloc' < <("$objdump" -h "$program") ||
    fail "no base relocations, so ASLR cannot move the image"

# msvcrt.dll ships with every Windows since 2000; the rest are the system's own.
allowed='^(kernel32|user32|gdi32|comctl32|advapi32|version|msvcrt|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    grep -qE "$allowed" <<<"$lower" || fail "imports $dll, which Windows does not ship"
done
grep -q '\.rsrc' < <("$objdump" -h "$program") || fail "no resource section"

# An import is resolved before the first instruction: one that Windows 7 without KB2533623 lacks
# stops the program from starting there. RestrictDllSearch looks it up instead.
if grep -qE '[[:space:]]SetDefaultDllDirectories$' <<<"$headers"; then
    fail "imports SetDefaultDllDirectories, which Windows 7 has only with KB2533623: look it up with GetProcAddress"
fi

if [ "$pointer" = 4 ]; then
    # The load configuration (window/load_config.cpp): the header's entry and the structure have
    # to state the same size for Windows to read it, and DependentLoadFlags (at 0x36) has to be
    # LOAD_LIBRARY_SEARCH_SYSTEM32.
    config_size=$((16#$(directory_size a)))
    config_rva=$(awk '$1 == "Entry" && $2 == "a" { print $3 }' <<<"$headers")
    config=$((16#$(awk '/^ImageBase/ { print $2 }' <<<"$headers") + 16#$config_rva))
    if [ "$config_size" -eq 0 ]; then
        fail "no load configuration: the DLLs the loader brings in are searched for beside the program"
    else
        stated=$(number_at "$config" 4)
        [ "$stated" -eq "$config_size" ] ||
            fail "the load configuration entry says $config_size bytes, the structure $stated"
        flags=$(number_at $((config + 0x36)) 2)
        [ "$flags" -eq $((0x800)) ] ||
            fail "DependentLoadFlags is $flags, not LOAD_LIBRARY_SEARCH_SYSTEM32 (2048)"
        echo "load configuration: RVA 0x$config_rva, $config_size bytes, DependentLoadFlags $(printf '0x%x' "$flags")"
    fi

    # Every function the program imports, each looked up in Microsoft's documentation and found
    # on Windows 7 SP1 or older (GetTickCount64 and InitCommonControlsEx: Vista; SetDllDirectoryW:
    # XP SP1; the rest: XP or older, TokenElevation for GetTokenInformation: Vista; msvcrt.dll's:
    # in the msvcrt.dll that Windows 7 ships).
    windows7='
advapi32.dll GetTokenInformation OpenProcessToken
comctl32.dll DefSubclassProc InitCommonControlsEx RemoveWindowSubclass SetWindowSubclass
gdi32.dll CreateFontIndirectW DeleteObject GetDeviceCaps
kernel32.dll AddVectoredExceptionHandler CloseHandle CreateEventA CreateFileW CreateSemaphoreA
kernel32.dll DeleteCriticalSection DeleteFileW DuplicateHandle EnterCriticalSection FlushFileBuffers
kernel32.dll FormatMessageW FreeLibrary GetCurrentProcess GetCurrentProcessId GetCurrentThread
kernel32.dll GetCurrentThreadId GetFileAttributesW GetFileSizeEx GetHandleInformation GetLastError GetModuleHandleA
kernel32.dll GetModuleHandleW GetProcAddress GetProcessAffinityMask GetStartupInfoW GetSystemDirectoryW
kernel32.dll GetSystemTimeAsFileTime GetTempPathW GetThreadContext GetThreadPriority GetTickCount64
kernel32.dll InitializeCriticalSection IsDebuggerPresent LeaveCriticalSection LoadLibraryA LoadLibraryW
kernel32.dll LocalFree LockFileEx MulDiv MultiByteToWideChar OpenProcess OutputDebugStringA RaiseException ReadFile
kernel32.dll ReleaseSemaphore RemoveVectoredExceptionHandler ResetEvent ResumeThread SetDllDirectoryW
kernel32.dll SetEndOfFile SetEvent SetFilePointerEx SetLastError SetProcessAffinityMask SetThreadContext
kernel32.dll SetThreadPriority SetUnhandledExceptionFilter Sleep SuspendThread TlsAlloc TlsGetValue
kernel32.dll TlsSetValue TryEnterCriticalSection UnlockFileEx VirtualProtect VirtualQuery WaitForMultipleObjects
kernel32.dll WaitForSingleObject WriteFile
msvcrt.dll __p__commode __p__fmode __p__wcmdln __set_app_type __setusermatherr __wgetmainargs
msvcrt.dll __winitenv _amsg_exit _beginthreadex _cexit _close _endthreadex _errno _initterm _iob _onexit
msvcrt.dll _read _setjmp3 _strdup _ultoa abort calloc exit fprintf free fwrite longjmp malloc memchr
msvcrt.dll memcmp memcpy memmove memset printf realloc signal strcmp strlen strncmp vfprintf wcslen
user32.dll AdjustWindowRectEx CreateWindowExW DefWindowProcW DestroyWindow DispatchMessageW
user32.dll EnableWindow GetDC GetFocus GetMessageW GetNextDlgTabItem GetSystemMetrics GetWindowLongW
user32.dll IsChild IsDialogMessageW IsWindow IsWindowEnabled LoadCursorW LoadImageW MessageBoxW
user32.dll PostQuitMessage RegisterClassExW ReleaseDC SendMessageW SetFocus SetWindowLongW ShowWindow
user32.dll SystemParametersInfoW TranslateMessage UpdateWindow
'
    listed=$(awk 'NF { for (i = 2; i <= NF; i++) print $1 "!" $i }' <<<"$windows7" | sort)
    imported=$(awk '/DLL Name:/ { dll = tolower($3) } /^\t[0-9a-f]+\t/ { print dll "!" $3 }' <<<"$headers" | sort)
    for function in $(comm -23 <(echo "$imported") <(echo "$listed")); do
        fail "imports $function, which is not on the Windows 7 SP1 list: look up its minimum supported" \
             "client; add it to the list if that is Windows 7 or older, else look it up with GetProcAddress"
    done
    for function in $(comm -13 <(echo "$imported") <(echo "$listed")); do
        fail "no longer imports $function: take it off the Windows 7 SP1 list"
    done
fi

echo "$(basename "$program"): $(stat -c %s "$program") bytes, imports:" $imports
exit $failed
