#!/usr/bin/env bash
# Usage: unprivileged_save_test.sh WINE_EXEC CHANGE_LINE_TOOL
# A user without the right to write the hosts file saves the line the file already pins: nothing
# needs writing, so the save succeeds and the file is left untouched; a save that would change
# the file is refused and changes nothing. Wine run by root writes any file, so this runs Wine
# as an ordinary Linux user that exists on every system, nobody, with a prefix of that user's
# own, the hosts file root's.
#
# The other user may not be able to reach the checkout or the build (a clone in a folder only root
# may enter), so what it runs is copied into a temporary folder of its own, which also holds a
# copy of the prefix, HOME and wineserver's folder, and goes with everything in it at the end.
set -euo pipefail
wine_exec=$1 tool=$2
source "$(dirname "$wine_exec")/wine-helpers"
user=nobody

if [ "$(id -u)" -ne 0 ] || ! command -v runuser >/dev/null || ! id "$user" >/dev/null 2>&1; then
    echo "skipped: running Wine as another user needs root, runuser and the user $user"
    exit 77
fi

# In /tmp whatever TMPDIR says: the other user has to be able to reach it.
work=$(mktemp -d -p /tmp hostline-unprivileged.XXXXXX)
prefix=$work/prefix
as_user() {  # COMMAND...: runs it as the user, in the folder, with nothing of root's environment
    (cd "$work" && runuser -u "$user" -- env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work" TMPDIR="$work" \
        USER="$user" "$@")
}
cleanup() {
    as_user env WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    as_user env WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

scripts=$(dirname "$wine_exec")
mkdir "$work/scripts"
cp "$scripts/wine-exec" "$scripts/wine-prefix" "$scripts/wine-helpers" "$scripts/pe-machine" "$work/scripts/"
cp "$tool" "$work/"
tool=$work/$(basename "$tool")
# A copy of the checkout's prefix, made the user's: all but the modules it shares with the other
# copies through hard links, which stay root's and which Wine only reads.
"$scripts/wine-prefix" "$prefix" null
find "$work" \( ! -type f -o -links 1 \) -exec chown -h "$user" {} +

etc=$prefix/drive_c/windows/system32/drivers/etc
hosts=$etc/hosts
# The file and its folder are root's: the user may read them, not write, rename or remove.
chown root: "$etc"
chmod 755 "$etc"
printf '# kept\r\n192.0.2.1\t\tservice.example.com\r\n' >"$hosts"
chown root: "$hosts"
chmod 644 "$hosts"
before=$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")
sleep 1  # a write would now show in the modification time

run() {  # CHOICE: prints the outcome; the tool's own exit code is in $status
    run_tool as_user "$work/scripts/wine-exec" "$prefix" "$tool" "$1" 2>/dev/null
    echo "$1: exit $status: $out"
}

failed=0
run line1
[ "${out%%$'\n'*}" = Succeeded ] || { echo "FAIL: a save with nothing to change was refused"; failed=1; }
[[ $out == *"192.0.2.1"*"没有被修改"* ]] || { echo "FAIL: the success does not say the file was left as it was"; failed=1; }
[ "$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")" = "$before" ] || { echo "FAIL: the file was touched"; failed=1; }
run line2
[ "${out%%$'\n'*}" = Failed ] || { echo "FAIL: a save that needs writing did not fail"; failed=1; }
[[ $out == *"没有被修改"* || $out == *"权限不足"* ]] || { echo "FAIL: the message does not tell the refusal"; failed=1; }
[ "$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")" = "$before" ] || { echo "FAIL: the refused save changed the file"; failed=1; }
[ "$failed" -eq 0 ] && echo "without the right to write: the save that changes nothing succeeds, the other is refused"
exit "$failed"
