#!/usr/bin/env bash
# wine_smoke.sh TQ350_EXE: tq350.exe info and set under Wine against the
# virtual printer on COM5, checked in the printer's journal.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
printers="${TQ350_SIM_ROOT:-$root/build/sim}/state"
journal="$printers/printer-com5.journal"
# Follows the journal from line $1 until a line holds $2.
wait_journal() { grep -m1 -q -- "$2" < <(timeout 10 tail -n "+$1" -F "$journal" 2>/dev/null); }

# A state folder of its own: what an earlier run remembered must not make set a no-op.
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
export TQ350_STATE_DIR="Z:$state"

start=$(( $(wc -l <"$journal") + 1 ))
echo power_cycle >"$printers/printer-com5.control"
wait_journal "$start" '"name":"power_cycle"'

start=$(( $(wc -l <"$journal") + 1 ))
info=$("$root/scripts/wine-exec" "$1" --port COM5 info)
grep -q '^name: *TQ-350 Mobile Printer' <<<"$info" || { echo "info said: $info"; exit 1; }
"$root/scripts/wine-exec" "$1" --port COM5 set --density 80
wait_journal "$start" '"name":"set_density".*"hex":"1B 59 01"'
echo "tq350.exe info and set: done"
