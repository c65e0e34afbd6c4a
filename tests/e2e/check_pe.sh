#!/usr/bin/env bash
# Usage: check_pe.sh OBJDUMP PROGRAM.exe POINTER_SIZE
# The built program as Windows' loader sees it: the right kind of PE file, a GUI program, and
# imports from Windows' own DLLs only, so it runs on a bare system with nothing installed.
set -euo pipefail
objdump=$1 program=$2 pointer=$3
headers=$("$objdump" -p "$program")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

if [ "$pointer" = 4 ]; then
    grep -q 'file format pei-i386' <<<"$headers" || fail "not a 32-bit x86 PE file"
    grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "not PE32"
else
    grep -q 'file format pei-x86-64' <<<"$headers" || fail "not an x86-64 PE file"
    grep -qE '^Magic[[:space:]]+020b' <<<"$headers" || fail "not PE32+"
fi
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a Windows GUI program"

# msvcrt.dll ships with every Windows since 2000; the rest are the system's own.
allowed='^(kernel32|user32|gdi32|comctl32|advapi32|version|msvcrt|api-ms-win-crt-[a-z0-9-]+)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    grep -qE "$allowed" <<<"$lower" || fail "imports $dll, which Windows does not ship"
done
grep -q '\.rsrc' < <("$objdump" -h "$program") || fail "no resource section"

echo "$(basename "$program"): $(stat -c %s "$program") bytes, imports:" $imports
exit $failed
