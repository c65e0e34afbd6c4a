#!/usr/bin/env bash
# Usage: unprivileged_save_test.sh WINE_EXEC PREFIX CHANGE_LINE_TOOL
# A user without the right to write the hosts file saves the line the file already pins: nothing
# needs writing, so the save succeeds and the file is left untouched; a save that would change
# the file is refused and changes nothing. Wine run by root writes any file, so this runs Wine
# as an ordinary Linux user with a prefix of that user's own, the hosts file root's.
set -euo pipefail
wine_exec=$1 prefix=$2 tool=$3
user=hostline-tester

if [ "$(id -u)" -ne 0 ] || ! command -v runuser >/dev/null || ! command -v useradd >/dev/null; then
    echo "skipped: running Wine as another user needs root, runuser and useradd"
    exit 77
fi
id "$user" >/dev/null 2>&1 || useradd --system --create-home "$user"
# A folder of the user's own beside the tests' prefix, holding the user's prefix and its lock.
own=$(realpath -m "$prefix")-$user
mkdir -p "$own"
chown "$user" "$own"
prefix=$own/prefix
as_user() { runuser -u "$user" -- env HOME="$(getent passwd "$user" | cut -d: -f6)" "$@"; }

etc=$prefix/drive_c/windows/system32/drivers/etc
hosts=$etc/hosts
as_user "$(dirname "$wine_exec")/wine-prefix" "$prefix" null
# The file and its folder are root's: the user may read them, not write, rename or remove.
chown root: "$etc"
chmod 755 "$etc"
printf '# kept\r\n192.0.2.1\t\tservice.example.com\r\n' >"$hosts"
chown root: "$hosts"
chmod 644 "$hosts"
before=$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")
sleep 1  # a write would now show in the modification time

run() {  # CHOICE: prints the outcome; the tool's own exit code is in $status
    status=0
    out=$(as_user "$wine_exec" "$prefix" "$tool" "$1" 2>/dev/null) || status=$?
    out=${out//$'\r'/}
    [ "$status" -eq 77 ] && exit 77  # this machine's Wine cannot run the tool
    echo "$1: exit $status: $out"
}

failed=0
run line1
[ "${out%%$'\n'*}" = Succeeded ] || { echo "FAIL: a save with nothing to change was refused"; failed=1; }
[ "$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")" = "$before" ] || { echo "FAIL: the file was touched"; failed=1; }
run line2
[ "${out%%$'\n'*}" = Failed ] || { echo "FAIL: a save that needs writing did not fail"; failed=1; }
[[ $out == *"没有被修改"* || $out == *"权限不足"* ]] || { echo "FAIL: the message does not tell the refusal"; failed=1; }
[ "$(stat -c '%Y %s' "$hosts"; sha256sum <"$hosts")" = "$before" ] || { echo "FAIL: the refused save changed the file"; failed=1; }
[ "$failed" -eq 0 ] && echo "without the right to write: the save that changes nothing succeeds, the other is refused"
exit "$failed"
