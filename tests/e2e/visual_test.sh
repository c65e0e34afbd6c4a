#!/usr/bin/env bash
# Usage: visual_test.sh PREFIX PROGRAM.exe SCREENSHOT.png HOST LINE1_ADDRESS LINE2_ADDRESS
# The program on a real (virtual) X display: it is drawn with the Chinese captions, and real key
# presses reach it: Down chooses 线路2 and Enter saves, while a second Enter typed at once, before
# the message is shown, must not close it unread. The window is captured to SCREENSHOT.png first.
# Uses its own Wine prefix, since the x11 driver must not be switched on under the headless tests.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
prefix=$1 program=$2 screenshot=$3 host=$4 line1=$5 line2=$6

for tool in xvfb-run Xvfb xauth xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/setup installs it)"
        exit 77
    fi
done

# A virtual display of its own, whatever DISPLAY says: the test runs again under xvfb-run, which
# finds a free display number, waits until the server is up and ends it afterwards.
if [ -z "${HOSTLINE_VISUAL_ON_XVFB:-}" ]; then
    HOSTLINE_VISUAL_ON_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi

# Shared helpers: CJK fonts for the prefix, waiting for a window.
source "$here/scripts/x11-helpers"

wine_pid=""
cleanup() {
    [ -z "$wine_pid" ] || kill "$wine_pid" 2>/dev/null || true
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
export HOSTLINE_WINE_GRAPHICS=x11

"$here/scripts/wine-prefix" "$prefix" x11
prepare_cjk_fonts "$prefix"

# Line 1 pinned in a form the program rewrites (space, LF): a save visibly changes the bytes.
hosts="$prefix/drive_c/windows/system32/drivers/etc/hosts"
mkdir -p "$(dirname "$hosts")"
printf '127.0.0.1 localhost\n%s %s\n' "$line1" "$host" >"$hosts"
before=$(od -An -c "$hosts")

rm -f "$screenshot"
"$here/scripts/wine-exec" "$prefix" "$prefix/drive_c/windows/system32/explorer.exe" \
    /desktop=hostline,480x240 "$(winpath "$program")" &
wine_pid=$!

desktop=$(wait_for_window "hostline - Wine desktop") || { echo "FAIL: the Wine desktop did not appear"; exit 1; }
# Form1 is an X window of its own inside the desktop, named by its caption.
form=$(wait_for_window "线路选择器") || { echo "FAIL: Form1 did not appear"; exit 1; }
wait_for_form_drawn "$form" || { echo "FAIL: Form1 was not drawn"; exit 1; }
import -window "$desktop" "$screenshot"
echo "screenshot: $screenshot"

# Real keyboard input through the X server (XTEST) to the window with the input focus: all three
# keys at once, as quick typing sends them, so the second Enter waits in the queue while the save runs.
xdotool windowfocus --sync "$form" 2>/dev/null || true
xdotool key --delay 0 Down Return Return
box=$(wait_for_window "成功") || { echo "FAIL: no 成功 message after Down and Enter"; exit 1; }

changed=0
for _ in $(seq 100); do
    if [ "$(od -An -c "$hosts")" != "$before" ]; then changed=1; break; fi
    sleep 0.1
done
if [ "$changed" -ne 1 ]; then
    echo "FAIL: Enter did not save: the hosts file is unchanged"
    exit 1
fi
expected=$(printf '127.0.0.1 localhost\r\n%s\t\t%s\r\n' "$line2" "$host" | od -An -c)
if [ "$(od -An -c "$hosts")" != "$expected" ]; then
    echo "FAIL: unexpected hosts bytes after Down and Enter:"; od -c "$hosts"
    exit 1
fi
echo "Down and Enter saved: the hosts file now pins line 2 in the program's own form"
# The Enter typed ahead was dropped: the message is still there a moment later.
sleep 1
if ! xdotool search --name "成功" >/dev/null 2>&1 || ! kill -0 "$wine_pid" 2>/dev/null; then
    echo "FAIL: the Enter typed before the message was shown closed it unread"
    exit 1
fi
echo "the Enter typed ahead did not answer the message"
# An Enter pressed now closes the message, and with it the program.
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
wait "$wine_pid" || { echo "FAIL: the program ended with $?"; exit 1; }
wine_pid=""
