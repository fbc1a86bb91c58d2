#!/usr/bin/env bash
# screenshots.sh OUTDIR
# Drives the real program through each of its windows against the virtual printer
# on COM5 and saves a picture of every window in OUTDIR. Runs inside a Wine session
# with the printer started (the test suite's fixture does both); fails when a window
# does not come up, so it is a test too.
# With TQ350_SCREENSHOTS_PAPER=1 it also downloads the logo and the font and prints
# the barcode, and stacks the paper those print into paper-sample.png; the long self
# test's page becomes paper-long-self-test.png. `make screenshots` does so and copies
# the pictures to docs/images for the README. The test suite leaves the paper out: its
# end-to-end cases download, print and read the paper back themselves. With TQ350_DPI=144
# the program runs in a prefix whose screen has 144 dots per inch (scripts/wine-env.sh) and
# the pictures go to OUTDIR/144dpi.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
out=${1:?usage: screenshots.sh OUTDIR}${TQ350_DPI:+/${TQ350_DPI}dpi}
with_paper=${TQ350_SCREENSHOTS_PAPER:-0}
win="$TQ350_ROOT/build/windows"
exe="$win/app/tq350setup.exe"
drive() { "$WINE" "$win/devtools/tq350-drive.exe" "$@" </dev/null; }
main="TQ-350 Setup Tool"
paper="$TQ350_SIM_ROOT/paper-com5"
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

# The paper printed from here on is the sample.
page_count() { find "$paper" -maxdepth 1 -name 'paper-*.png' 2>/dev/null | wc -l; }
pages_before=$(page_count)
# Presses the button that prints with paper, the one that closes without it.
press_for_paper() {
    if [ "$with_paper" = 1 ]; then drive press "$1" "$2"; else drive press "$1" "$3"; fi
}

# A picture with gray levels, a photo-like gradient and text, for the logo dialog
# to convert; downloaded with its four-mode test print.
picture="$out/logo-picture.bmp"
convert -size 360x120 xc:white \( -size 112x112 radial-gradient:black-white \) \
    -geometry +4+4 -composite \
    -fill black -font DejaVu-Sans-Bold -pointsize 52 -draw 'text 128,80 "TQ-350"' \
    -fill gray50 -draw 'rectangle 130,92 350,100' -type Grayscale BMP3:"$picture"
drive command "$main" 40002
drive wait "Open Picture File" 30
drive set-text "Open Picture File" 1148 "Z:${picture//\//\\}"
drive press "Open Picture File" 1
drive wait "Preview & download logo" 30
drive check "Preview & download logo" 1025
shoot "Preview & download logo" logo-dialog.png
press_for_paper "Preview & download logo" 1 2
drive wait-gone "Preview & download logo" 60
drive settle "$main"

# A heart drawn into code 0x7F of font A with the mouse, downloaded after a reset
# and test-printed among the resident characters.
editor="Dialog"
drive command "$main" 40001
drive wait "$editor" 30
drive select-list "$editor" 1030 $((0x7F - 32))
# Each row of the heart, ROW:FIRST-LAST[,FIRST-LAST] columns.
heart=()
for row_runs in 6:2-3,8-9 7:1-4,7-10 8:0-11 9:0-11 10:0-11 11:1-10 12:2-9 13:3-8 14:4-7 15:5-6; do
    row=${row_runs%%:*}
    IFS=, read -ra runs <<<"${row_runs#*:}"
    for run in "${runs[@]}"; do
        for ((column = ${run%-*}; column <= ${run#*-}; column++)); do
            heart+=("$column,$row")
        done
    done
done
drive draw "$editor" 1029 12 24 "${heart[@]}"
drive settle "$editor"
shoot "$editor" font-editor.png
press_for_paper "$editor" 1041 2
# With paper: reset the downloadable font first, and print a test of the downloaded
# symbols: Yes, Yes. Without: discard the unsaved font: Yes.
drive answer "Printer Settings" 6 30
if [ "$with_paper" = 1 ]; then
    drive answer "Printer Settings" 6 30
    drive settle "$editor"
    drive press "$editor" 2
fi
drive wait-gone "$editor" 30

drive command "$main" 40022
drive wait "Barcode" 30
drive set-text "Barcode" 1019 "TQ350-0042"
drive select "Barcode" 1043 4
drive select "Barcode" 1048 2
# Two dots a module: at three, Code 39 of ten characters is wider than the paper.
drive set-text "Barcode" 1044 2
drive set-text "Barcode" 1046 80
shoot "Barcode" barcode.png
if [ "$with_paper" = 1 ]; then
    drive press "Barcode" 1
    drive settle "Barcode"
fi
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
[ "$with_paper" = 1 ] || exit 0

# The logo, the font test and the barcode: three connections, three pages. The
# printer writes a page when its connection has closed.
for ((i = 0; i < 100; i++)); do
    [ "$(page_count)" -ge $((pages_before + 3)) ] && break
    sleep 0.1
done
mapfile -t new_pages < <(ls "$paper"/paper-*.png | sort | tail -n +$((pages_before + 1)))
[ "${#new_pages[@]}" -eq 3 ] || { echo "expected 3 new pages, got ${#new_pages[@]}" >&2; exit 1; }
# A gray strip between pages, as where the paper was torn off.
convert "${new_pages[0]}" \( -size 384x6 xc:gray85 \) "${new_pages[1]}" \
    \( -size 384x6 xc:gray85 \) "${new_pages[2]}" -append "$out/paper-sample.png"
echo "  $out/paper-sample.png"

# The long self test: the printer's own page with both character tables.
drive command "$main" 40015
drive settle "$main"
for ((i = 0; i < 100; i++)); do
    [ "$(page_count)" -ge $((pages_before + 4)) ] && break
    sleep 0.1
done
self_test=$(ls "$paper"/paper-*.png | sort | tail -n 1)
[ "$(page_count)" -eq $((pages_before + 4)) ] || { echo "no self-test page" >&2; exit 1; }
cp "$self_test" "$out/paper-long-self-test.png"
echo "  $out/paper-long-self-test.png"
