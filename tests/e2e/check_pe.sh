#!/usr/bin/env bash
# Usage: check_pe.sh OBJDUMP LLVM_READOBJ PROGRAM.exe POINTER_SIZE
# The built program as Windows' loader sees it: the right kind of PE file, a GUI program that
# keeps ASLR and DEP, and imports from Windows' own DLLs only, so it runs on a bare system with
# nothing installed. The 32-bit program, the one that ships, also has to keep the DLLs the loader
# brings in to System32 and import nothing that Windows 7 SP1 lacks (windows7_imports.txt, beside
# this script). objdump reads the headers and imports; llvm-readobj decodes the load configuration.
set -euo pipefail
objdump=$1 readobj=$2 program=$3 pointer=$4
headers=$("$objdump" -p "$program")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

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
    # The load configuration (app/startup/load_config.cpp): the header's entry and the structure
    # have to state the same size for Windows to read it, and DependentLoadFlags has to be
    # LOAD_LIBRARY_SEARCH_SYSTEM32.
    if ! loader=$("$readobj" --file-headers --coff-load-config "$program" 2>&1); then
        echo "$loader"
        fail "llvm-readobj ($readobj) cannot read the load configuration; scripts/setup installs it"
    fi
    # A field's number as llvm-readobj prints it (0x... or decimal), or nothing.
    field() { awk -v name="$1:" '$1 == name && $2 ~ /^(0x[0-9A-Fa-f]+|[0-9]+)$/ { print $2; exit }' <<<"$loader"; }
    config_size=$(field LoadConfigTableSize)
    if [ $((${config_size:-0})) -eq 0 ]; then
        fail "no load configuration: the DLLs the loader brings in are searched for beside the program"
    else
        stated=$(field Size)
        [ -n "$stated" ] && [ $((stated)) -eq $((config_size)) ] ||
            fail "the load configuration entry says $config_size bytes, the structure ${stated:-nothing}"
        flags=$(field DependentLoadFlags)
        [ -n "$flags" ] && [ $((flags)) -eq $((0x800)) ] ||
            fail "DependentLoadFlags is ${flags:-missing}, not LOAD_LIBRARY_SEARCH_SYSTEM32 (0x800)"
        echo "load configuration: RVA $(field LoadConfigTableRVA), $((config_size)) bytes, DependentLoadFlags ${flags:-missing}"
    fi

    # Every function the program imports has to be on the list of those found on Windows 7 SP1.
    list=$(dirname "${BASH_SOURCE[0]}")/windows7_imports.txt
    listed=$(awk '!/^[[:space:]]*([#[]|$)/ { for (i = 2; i <= NF; i++) print $1 "!" $i }' "$list" | sort)
    imported=$(awk '/DLL Name:/ { dll = tolower($3) } /^\t[0-9a-f]+\t/ { print dll "!" $3 }' <<<"$headers" | sort)
    for function in $(comm -23 <(echo "$imported") <(echo "$listed")); do
        fail "imports $function, which is not in windows7_imports.txt: look up its minimum supported" \
             "client; list it if that is Windows 7 or older, else look it up with GetProcAddress"
    done
    for function in $(comm -13 <(echo "$imported") <(echo "$listed")); do
        fail "no longer imports $function: take it off windows7_imports.txt"
    done
fi

echo "$(basename "$program"): $(stat -c %s "$program") bytes, imports:" $imports
exit $failed
