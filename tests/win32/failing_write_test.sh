#!/usr/bin/env bash
# Usage: failing_write_test.sh WINE_EXEC PREFIX CHANGE_LINE_TOOL
# A write that fails part-way through a save (a bad sector, a range another program locks) must
# never leave the user with a damaged file told as unchanged. failing_write.c, preloaded into
# Wine, fails the write that reaches a chosen byte of the hosts file:
# - when the disk works again, or only that byte stays bad, the old bytes are put back and the user is told nothing changed, and why;
# - when it does not, the user is told the file may be damaged and where a copy of the old
#   content was saved, and that copy holds every old byte.
set -euo pipefail
wine_exec=$1 prefix=$2 tool=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$(dirname "$wine_exec")
# Under ctest, this test's own slot of the prefix.
source "$scripts/wine-helpers"
prefix=$(wine_test_prefix "$(realpath -m "$prefix")")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The preloaded library has to match the Wine process: 32-bit Wine runs 32-bit programs.
bits=()
[ "$("$scripts/pe-machine" "$tool")" = x86 ] && bits=(-m32)
if ! cc "${bits[@]}" -shared -fPIC -O2 -o "$work/failing_write.so" "$here/failing_write.c" -ldl 2>"$work/cc.txt"; then
    cat "$work/cc.txt"
    echo "FAIL: could not build the failing-write library (scripts/setup installs gcc-multilib)"
    exit 1
fi

"$scripts/wine-prefix" "$prefix" null
etc=$prefix/drive_c/windows/system32/drivers/etc
saved=$(mktemp)
cp -p "$etc/hosts" "$saved" 2>/dev/null || : >"$saved"
trap 'cp -p "$saved" "$etc/hosts"; rm -f "$saved" "$etc"/hosts.before-hostline*; rm -rf "$work"' EXIT

# A hosts file of 300 KB with LF line ends, pinned on its first line: a save rewrites all of it.
old=$work/old
{ printf '10.0.0.1 service.example.com\n'
  for i in $(seq 12000); do printf '0.0.0.0 ad%d.example\n' "$i"; done; } >"$old"

failed=0
save() {  # THEN [AT]: a save whose write fails at byte AT (196560); prints the outcome and message
    cp "$old" "$etc/hosts"
    rm -f "$etc"/hosts.before-hostline*
    HOSTLINE_FAIL_AT=${2:-196560} HOSTLINE_FAIL_THEN=$1 LD_PRELOAD="$work/failing_write.so" \
        run_tool "$wine_exec" "$prefix" "$tool" line2 2>/dev/null
    echo "disk then $1: exit $status: $out"
}

for row in work "again 1000" "again 196560"; do
    save $row
    [ "${out%%$'\n'*}" = Failed ] && [[ $out == *"hosts 文件没有被修改"*"错误代码"* ]] ||
        { echo "FAIL ($row): the write failed and was undone, yet the user is not told the file is unchanged and why"; failed=1; }
    cmp -s "$old" "$etc/hosts" || { echo "FAIL ($row): the old bytes are not back"; failed=1; }
    ! ls "$etc"/hosts.before-hostline* >/dev/null 2>&1 || { echo "FAIL ($row): a copy was made of a file that was put back"; failed=1; }
done

save fail
if [ "${out%%$'\n'*}" != Failed ] || [[ $out != *"可能已经损坏"* ]] || [[ $out == *"没有被修改"* ]]; then
    echo "FAIL: the file could not be put back, yet the user is not told it may be damaged"; failed=1
fi
copy=$etc/hosts.before-hostline
# The copy's folder and its name, each on a line of its own.
[[ $out == *$'\\drivers\\etc\n'*$'\nhosts.before-hostline\n'* ]] || { echo "FAIL: the message does not name the copy"; failed=1; }
cmp -s "$old" "$copy" || { echo "FAIL: the copy does not hold the old content"; failed=1; }

[ "$failed" -eq 0 ] && echo "a failed write is put back, or reported as possible damage with a full copy"
exit "$failed"
