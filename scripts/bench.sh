#!/usr/bin/env bash
# make bench: the performance figures of the README, measured in one warm Wine session.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
if [ "${1:-}" != "--in-session" ]; then
    exec "$here/wine-session.sh" "$here/bench.sh" --in-session
fi
win="$TQ350_ROOT/build/windows"
# Start-up is timed on the exes as a user gets them, stripped as make dist strips them:
# Wine reads every section of an exe when it loads it, the debug information's too.
startup="$TQ350_ROOT/build/bench/startup"
mkdir -p "$startup"
for exe in app/tq350setup.exe app/bench/main_template_dialog.exe app/bench/minimal_dialog.exe; do
    x86_64-w64-mingw32-strip --strip-all -o "$startup/${exe##*/}" "$win/$exe"
done
"$WINE" "$win/app/bench/startup_bench.exe" 15 "$startup/tq350setup.exe" "TQ-350 Setup Tool" \
    "$startup/main_template_dialog.exe" "TQ-350 Setup Tool" \
    "$startup/minimal_dialog.exe" "Minimal dialog" </dev/null
"$WINE" "$win/font/font_bench.exe" 200 </dev/null
"$TQ350_ROOT/logo/bench/picture_bench.sh" 5
"$TQ350_ROOT/cli/bench/cli_bench.sh" 5

"$here/sim.sh" start com5 >/dev/null
trap '"$here/sim.sh" stop com5' EXIT
"$WINE" "$win/link/bench/link_bench.exe" 5 </dev/null
"$WINE" "$win/app/bench/send_bench.exe" </dev/null
