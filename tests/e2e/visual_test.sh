#!/usr/bin/env bash
# Usage: visual_test.sh PREFIX PROGRAM.exe SCREENSHOT.png HOST LINE1_ADDRESS LINE2_ADDRESS
# The program on a real (virtual) X display: it is drawn with the Chinese captions, and real key
# presses reach it: Down chooses 线路2 and Enter saves, while a second Enter typed right after,
# which may reach the program only once the message shows, must not close it unread. Typed at
# once and then 100 ms apart, each round watches the message for 5 seconds; a fresh Enter then
# closes it, and the program ends with the save's code. The window is captured to SCREENSHOT.png.
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
if [ "$("$here/scripts/pe-machine" "$program")" = x86 ] && ! can_run_32bit_wine; then
    echo "skipped: this machine's kernel cannot run 32-bit code, so 32-bit Wine cannot start the program"
    exit 77
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
# The program started on its own, so that its exit code is Wine's, in a desktop of the prefix's.
for key in 'HKCU\Software\Wine\Explorer /v Desktop /d hostline' \
           'HKCU\Software\Wine\Explorer\Desktops /v hostline /d 480x240'; do
    # shellcheck disable=SC2086 # the key and its value, word by word
    WINEPREFIX=$prefix WINEDEBUG=-all "$wine64_loader" reg add $key /f >/dev/null 2>&1
done

# Line 1 pinned in a form the program rewrites (space, LF): a save visibly changes the bytes.
hosts="$prefix/drive_c/windows/system32/drivers/etc/hosts"
mkdir -p "$(dirname "$hosts")"
expected=$(printf '127.0.0.1 localhost\r\n%s\t\t%s\r\n' "$line2" "$host" | od -An -c)
rm -f "$screenshot"

for delay in 0 100; do
    round="keys ${delay} ms apart"
    printf '127.0.0.1 localhost\n%s %s\n' "$line1" "$host" >"$hosts"
    before=$(od -An -c "$hosts")
    "$here/scripts/wine-exec" "$prefix" "$program" &
    wine_pid=$!
    # Form1 is an X window of its own inside the desktop, named by its caption.
    form=$(wait_for_window "线路选择器") || { echo "FAIL ($round): Form1 did not appear"; exit 1; }
    wait_for_form_drawn "$form" || { echo "FAIL ($round): Form1 was not drawn"; exit 1; }
    if [ ! -f "$screenshot" ]; then
        desktop=$(wait_for_window "hostline - Wine desktop") || { echo "FAIL: the Wine desktop did not appear"; exit 1; }
        import -window "$desktop" "$screenshot"
        echo "screenshot: $screenshot"
    fi

    # Real keyboard input through the X server (XTEST) to the window with the input focus.
    xdotool windowfocus --sync "$form" 2>/dev/null || true
    xdotool key --delay "$delay" Down Return Return
    box=$(wait_for_window "成功") || { echo "FAIL ($round): no 成功 message stayed up after Down and Enter"; exit 1; }
    for _ in $(seq 100); do
        [ "$(od -An -c "$hosts")" = "$before" ] || break
        sleep 0.1
    done
    if [ "$(od -An -c "$hosts")" != "$expected" ]; then
        echo "FAIL ($round): Down and Enter did not save line 2 in the program's own form:"; od -c "$hosts"
        exit 1
    fi
    # The Enter typed ahead has been seen to close the message 1.5 to 2 seconds late.
    sleep 5
    if ! xdotool search --name "成功" >/dev/null 2>&1 || ! kill -0 "$wine_pid" 2>/dev/null; then
        echo "FAIL ($round): the Enter typed before the message was shown closed it unread"
        exit 1
    fi
    # An Enter pressed now closes the message, and with it the program.
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    code=0
    wait "$wine_pid" || code=$?
    wine_pid=""
    [ "$code" -eq 0 ] || { echo "FAIL ($round): the program ended with $code after a save that succeeded"; exit 1; }
    echo "$round: saved once, the Enter typed ahead did not answer the message, a fresh one did"
done
