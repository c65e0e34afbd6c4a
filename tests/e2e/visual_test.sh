#!/usr/bin/env bash
# Usage: visual_test.sh PREFIX PROGRAM.exe SCREENSHOT.png HOST LINE1_ADDRESS LINE2_ADDRESS
# The program on a real (virtual) X display: it is drawn with the Chinese captions, and real key
# presses reach it: Down chooses 线路2 and Enter saves, while a second Enter typed right after, which
# may reach the program only once the message shows, must not close it unread: typed at once, then
# 100 ms apart, each time watched for 5 s. The window is captured to SCREENSHOT.png first.
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

# Shared helpers: CJK fonts for the prefix, waiting for a window.
source "$here/scripts/x11-helpers"
if [ "$("$here/scripts/pe-machine" "$program")" = x86 ] && ! can_run_32bit_wine; then
    echo "skipped: this machine's kernel cannot run 32-bit code, so 32-bit Wine cannot start the program"
    exit 77
fi
# One round for each time between the keys, each on a display of its own.
if [ -z "${HOSTLINE_VISUAL_DELAY:-}" ]; then
    for delay in 0 100; do
        HOSTLINE_VISUAL_DELAY=$delay bash "$0" "$@" || { echo "FAIL with the keys $delay ms apart"; exit 1; }
    done
    exit 0
fi

# A virtual display of its own, whatever DISPLAY says: the test runs again under xvfb-run, which
# finds a free display number, waits until the server is up and ends it afterwards.
if [ -z "${HOSTLINE_VISUAL_ON_XVFB:-}" ]; then
    HOSTLINE_VISUAL_ON_XVFB=1 exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi

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

[ "$HOSTLINE_VISUAL_DELAY" != 0 ] || rm -f "$screenshot"
# Started on its own in the prefix's desktop, so that its exit code is Wine's.
WINEPREFIX=$prefix "$wine64_loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d hostline /f >/dev/null 2>&1
WINEPREFIX=$prefix "$wine64_loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v hostline /d 480x240 /f >/dev/null 2>&1
"$here/scripts/wine-exec" "$prefix" "$program" &
wine_pid=$!

desktop=$(wait_for_window "hostline - Wine desktop") || { echo "FAIL: the Wine desktop did not appear"; exit 1; }
# Form1 is an X window of its own inside the desktop, named by its caption.
form=$(wait_for_window "线路选择器") || { echo "FAIL: Form1 did not appear"; exit 1; }
wait_for_form_drawn "$form" || { echo "FAIL: Form1 was not drawn"; exit 1; }
# In the first round only: a desktop that goes at once, as when the message closes unread, cannot be captured.
if [ "$HOSTLINE_VISUAL_DELAY" = 0 ]; then
    import -window "$desktop" "$screenshot"
    echo "screenshot: $screenshot"
fi

# Real keyboard input through the X server (XTEST) to the window with the input focus: all three
# keys $HOSTLINE_VISUAL_DELAY ms apart.
xdotool windowfocus --sync "$form" 2>/dev/null || true
xdotool key --delay "$HOSTLINE_VISUAL_DELAY" Down Return Return
box=$(wait_for_window "成功") || { echo "FAIL: no 成功 message stayed up after Down and Enter"; exit 1; }

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
# The second Enter, typed while the save ran or just as the message appeared, was dropped: the
# message is still there 5 s later (it was seen to close after 2).
sleep 5
if ! xdotool search --name "成功" >/dev/null 2>&1 || ! kill -0 "$wine_pid" 2>/dev/null; then
    echo "FAIL: the second Enter, typed ahead or within the guard after the message appeared, closed it unread"
    exit 1
fi
echo "the second Enter did not answer the message"
# An Enter pressed now closes the message, and with it the program.
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
wait "$wine_pid" || { echo "FAIL: the program ended with $? after a save that succeeded"; exit 1; }
wine_pid=""
echo "keys $HOSTLINE_VISUAL_DELAY ms apart: a fresh Enter closed the message, and the program ended with 0"
