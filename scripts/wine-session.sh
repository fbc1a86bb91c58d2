#!/usr/bin/env bash
# wine-session.sh COMMAND [ARGS...]
# Runs COMMAND with a warm Wine: a persistent wineserver, the desktop process kept
# alive by one idle GUI program, and a display (a private Xvfb when DISPLAY is unset
# or TQ350_HEADLESS=1). Everything it started is ended afterwards.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
. "$here/wine-env.sh"
"$here/wine-prefix.sh"

xvfb_pid=""
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${TQ350_HEADLESS:-0}" = 1 ]; then
    # -displayfd picks a free display number and writes it once the server is up.
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    display_number=""
    read -r -t 30 display_number <"$fifo" || true
    rm -f "$fifo"
    [ -n "$display_number" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$display_number"
    export TQ350_HEADLESS=1
fi

"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
# Its stderr goes to a log: at exit it may list the objects still open.
"$WINESERVER" -p 2>>"$WINEPREFIX/wineserver.log"
# The first Wine program starts the system processes, which keep its stdio open
# as long as the server lives: give them /dev/null, never a pipe.
"$WINE" wineboot </dev/null >/dev/null 2>&1
# Unmanaged windows close without the 2 s stall on a bare Xvfb; a user's own
# display has a window manager that should frame them.
managed=Y
[ "${TQ350_HEADLESS:-0}" = 1 ] && managed=N
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f </dev/null >/dev/null 2>&1
# One GUI program for the whole session keeps the desktop process alive, so
# each test does not pay for restarting it.
"$WINE" start /min notepad </dev/null >/dev/null 2>&1

"$@"
