#!/usr/bin/env bash
# make run: the program in the project's Wine, talking to the virtual TQ-350 on
# COM5. With a display it opens for the user; without one it runs under a private
# Xvfb, clicks "Connect & Get" itself, saves a screenshot of the connected main
# window to build/run/main-window.png and ends.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exe="$TQ350_ROOT/build/windows/app/tq350setup.exe"
drive="$TQ350_ROOT/build/windows/app/tests/tq350-drive.exe"
title="TQ-350 Setup Tool"

if [ "${1:-}" != "--in-session" ]; then
    exec "$here/wine-session.sh" "$here/run.sh" --in-session
fi

settings='HKLM\Software\Halvik\TQ-350 Printer Settings'
"$here/sim.sh" start com5
trap '"$here/sim.sh" stop com5' EXIT
echo "What the printer receives is journaled in build/sim/state/printer-com5.journal"
# The virtual printer is the one to talk to: COM5 at its start-up speed.
"$WINE" reg add "$settings" /v "COM Port" /t REG_DWORD /d 5 /f </dev/null >/dev/null 2>&1
"$WINE" reg add "$settings" /v "COM Speed" /t REG_DWORD /d 9600 /f </dev/null >/dev/null 2>&1

if [ "${TQ350_HEADLESS:-0}" != 1 ]; then
    "$WINE" "$exe" </dev/null >/dev/null 2>&1
    exit 0
fi

out="$TQ350_ROOT/build/run"
mkdir -p "$out"
"$WINE" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
"$WINE" "$drive" wait "$title" 60 </dev/null
"$WINE" "$drive" click "$title" 1019 </dev/null
if ! "$WINE" "$drive" wait-enabled "$title" 1020 60 </dev/null; then
    echo "The printer did not answer; see build/sim/state/printer-com5.log" >&2
fi
window=$(xdotool search --name "^$title\$" | head -n1)
import -window "$window" "$out/main-window.png"
"$WINE" "$drive" close "$title" </dev/null
wait "$program" || true
echo "Screenshot of the main window: $out/main-window.png"
