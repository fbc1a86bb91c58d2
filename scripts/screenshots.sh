#!/usr/bin/env bash
# screenshots.sh OUTDIR
# Drives the real program through each of its windows against the virtual printer
# on COM5 and saves a picture of every window in OUTDIR. Runs inside a Wine session
# with the printer started (the test suite's fixture does both); fails when a window
# does not come up, so it is a test too. `make screenshots` copies the pictures to
# docs/images for the README.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
out=${1:?usage: screenshots.sh OUTDIR}
win="$TQ350_ROOT/build/windows"
exe="$win/app/tq350setup.exe"
drive() { "$WINE" "$win/app/tests/tq350-drive.exe" "$@" </dev/null; }
main="TQ-350 Setup Tool"
mkdir -p "$out"

# Captures the top-level window with this caption once its program is idle.
shoot() {
    local caption=$1 file=$2
    drive wait "$caption" 60
    drive settle "$caption"
    local window
    window=$(xdotool search --onlyvisible --name "^$caption\$" | tail -n1)
    import -window "$window" "$out/$file"
    echo "  $out/$file"
}

settings='HKLM\Software\Halvik\TQ-350 Printer Settings'
"$WINE" reg delete "$settings" /f </dev/null >/dev/null 2>&1 || true
"$WINE" reg add "$settings" /v "COM Port" /t REG_DWORD /d 5 /f </dev/null >/dev/null 2>&1

"$WINE" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
trap 'drive close "$main" || true; wait "$program" || true' EXIT

shoot "$main" main-disconnected.png
drive click "$main" 1019
drive wait-enabled "$main" 1020 60
shoot "$main" main-connected.png

drive command "$main" 49152
shoot "Printer Settings" about.png
drive press "Printer Settings" 1

drive command "$main" 40022
drive wait "Barcode" 30
drive set-text "Barcode" 1019 "TQ350-0042"
drive select "Barcode" 1043 4
drive select "Barcode" 1048 2
shoot "Barcode" barcode.png
drive press "Barcode" 1
drive settle "Barcode"
drive press "Barcode" 2

drive command "$main" 40021
drive wait "Test Magstripe Reader" 30
for box in 1044 1045 1046; do drive check "Test Magstripe Reader" "$box"; done
drive press "Test Magstripe Reader" 1
shoot "Test Magstripe Reader" magstripe.png
drive press "Test Magstripe Reader" 2

drive command "$main" 40029
drive wait "Bluetooth address" 30
for i in 0 1 2 3 4 5; do
    drive set-text "Bluetooth address" $((1050 + i)) "$(printf '%02X' $((0x1C + 17 * i)))"
done
shoot "Bluetooth address" bluetooth.png
drive press "Bluetooth address" 2
