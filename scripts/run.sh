#!/usr/bin/env bash
# make run: the program in the project's Wine. With a display it opens for the user;
# without one it runs under a private Xvfb, saves a screenshot of the main window
# to build/run/main-window.png and ends.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exe="$TQ350_ROOT/build/windows/app/tq350setup.exe"
drive="$TQ350_ROOT/build/windows/app/tests/tq350-drive.exe"
title="TQ-350 Setup Tool"

if [ "${1:-}" != "--in-session" ]; then
    exec "$here/wine-session.sh" "$here/run.sh" --in-session
fi

if [ "${TQ350_HEADLESS:-0}" != 1 ]; then
    "$WINE" "$exe" </dev/null >/dev/null 2>&1
    exit 0
fi

out="$TQ350_ROOT/build/run"
mkdir -p "$out"
"$WINE" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
"$WINE" "$drive" wait "$title" 60 </dev/null
window=$(xdotool search --name "^$title\$" | head -n1)
import -window "$window" "$out/main-window.png"
"$WINE" "$drive" close "$title" </dev/null
wait "$program" || true
echo "Screenshot of the main window: $out/main-window.png"
