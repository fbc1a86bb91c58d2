#!/usr/bin/env bash
# make run: the program in the project's Wine, talking to the virtual TQ-350 on
# COM5. With a display it opens for the user; without one it runs under a private
# Xvfb, clicks "Connect & Get" itself, saves a screenshot of the connected main
# window to build/run/main-window.png, runs the short self test, whose paper lands
# beside it in build/run/paper/, and ends.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exe="$TQ350_ROOT/build/windows/app/tq350setup.exe"
drive="$TQ350_ROOT/build/windows/devtools/tq350-drive.exe"
title="TQ-350 Setup Tool"

if [ "${1:-}" != "--in-session" ]; then
    exec "$here/wine-session.sh" "$here/run.sh" --in-session
fi

settings='HKLM\Software\Halvik\TQ-350 Printer Settings'
out="$TQ350_ROOT/build/run"
paper="$out/paper"
"$here/sim.sh" start com5 --paper "$paper"
trap '"$here/sim.sh" stop com5' EXIT
echo "What the printer receives is journaled in build/sim/state/printer-com5.journal"
echo "What it prints goes to $paper/: one PNG a connection that printed"
# The virtual printer is the one to talk to: COM5 at its start-up speed.
"$WINE" reg add "$settings" /v "COM Port" /t REG_DWORD /d 5 /f </dev/null >/dev/null 2>&1
"$WINE" reg add "$settings" /v "COM Speed" /t REG_DWORD /d 9600 /f </dev/null >/dev/null 2>&1

if [ "${TQ350_HEADLESS:-0}" != 1 ]; then
    "$WINE" "$exe" </dev/null >/dev/null 2>&1
    exit 0
fi

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
echo "Screenshot of the main window: $out/main-window.png"
# Advanced > Short Test. The printer writes the page once the connection has closed.
"$WINE" "$drive" command "$title" 40014 </dev/null
"$WINE" "$drive" settle "$title" </dev/null
for ((i = 0; i < 100; i++)); do
    page=$(find "$paper" -maxdepth 1 -name 'paper-*.png' | sort | tail -n 1)
    [ -n "$page" ] && break
    sleep 0.1
done
"$WINE" "$drive" close "$title" </dev/null
wait "$program" || true
if [ -n "$page" ]; then
    echo "The short self test on the printer's paper: $page"
else
    echo "The printer printed nothing; see build/sim/state/printer-com5.log" >&2
fi
