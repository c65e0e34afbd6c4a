#!/usr/bin/env bash
# Usage: full_disk_test.sh WINE_EXEC PREFIX CHANGE_LINE_TOOL
# A save on a full disk must fail, leave the old bytes and say why. A small tmpfs is mounted over
# drivers/etc, holding a hosts file of three pages less ten bytes and a filler for the fourth, so
# the new content needs one page more than is free.
#
# The test runs in a mount namespace of its own, so the machine never sees its mounts and they end
# with it, however it ends. wineserver opens the files for the programs, so it has to run in that
# namespace too: the test runs in a copy of PREFIX of its own, whose server nothing outside can
# have started, with the server's folder on a small tmpfs of its own.
set -euo pipefail
wine_exec=$1 prefix=$2 tool=$3
source "$(dirname "$wine_exec")/wine-helpers"

if [ -z "${HOSTLINE_OWN_MOUNTS:-}" ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "skipped: mounting a small file system for a full disk needs root"
        exit 77
    fi
    if ! unshare --mount --propagation private true 2>/dev/null; then
        echo "skipped: this machine does not allow a mount namespace of the test's own"
        exit 77
    fi
    HOSTLINE_OWN_MOUNTS=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

work=$(mktemp -d -t hostline-full-disk.XXXXXX)
own=$(mktemp -d "$(realpath -m "$prefix")-full-disk.XXXXXX")
etc=$own/drive_c/windows/system32/drivers/etc
cleanup() {
    WINEPREFIX=$own wineserver -k 2>/dev/null || true
    WINEPREFIX=$own wineserver -w 2>/dev/null || true
    ! mountpoint -q "$etc" || umount "$etc"
    ! mountpoint -q "$work" || umount "$work"
    rm -rf "$own" "$own.lock"
    rmdir "$work"
}
trap cleanup EXIT
# Room for the server's folder and the old bytes.
if ! mount -t tmpfs -o size=1m hostline-work "$work" 2>/dev/null; then
    echo "skipped: this machine does not allow mounting a tmpfs"
    exit 77
fi
export TMPDIR=$work

"$(dirname "$wine_exec")/wine-prefix" "$own" null
mount -t tmpfs -o size=16k hostline-full "$etc"

old=$work/old
{ printf '# kept\r\n'; head -c $((3 * 4096 - 10 - 8)) /dev/zero | tr '\0' 'x'; } >"$old"
cp "$old" "$etc/hosts"
head -c 4096 /dev/zero >"$etc/filler"
free=$(df -B1 --output=avail "$etc" | tail -n 1 | tr -d ' ')
echo "hosts: $(stat -c %s "$etc/hosts") bytes, free on the small disk: $free bytes"

run_tool "$wine_exec" "$own" "$tool" line1
echo "line change: $out (exit $status)"
if [ "${out%%$'\n'*}" != "Failed" ]; then
    echo "FAIL: a save on a full disk reported: $out"
    exit 1
fi
# The user is told the true cause: nothing was changed, the disk is full.
if [[ $out != *"hosts 文件没有被修改"* || $out != *"磁盘空间不足"* ]]; then
    echo "FAIL: the message does not say that the disk is full and nothing was changed"
    exit 1
fi
if ! cmp -s "$old" "$etc/hosts"; then
    echo "FAIL: the hosts file changed ($(stat -c %s "$etc/hosts") bytes now)"
    exit 1
fi
echo "the old bytes are back"
