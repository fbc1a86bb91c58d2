#!/usr/bin/env bash
# cli_bench.sh: `tq350 info` against the virtual printer at 9600 bps, as a
# ratio to the protocol's floor, and `tq350 logo convert` of a 12-megapixel
# JPEG against ImageMagick doing the same job (sample to 384 x 247,
# Floyd-Steinberg, one bit) on the same file in the same run. Run from
# scripts/bench.sh after the native build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
rounds=${1:-5}
tq350="$root/build/native/cli/tq350"
. "$root/scripts/bench-common.sh"

[ -x "$tq350" ] || { echo "cli_bench.sh: $tq350 is not built (make native)" >&2; exit 1; }
"$root/scripts/sim.sh" start cli-bench >/dev/null
trap '"$root/scripts/sim.sh" stop cli-bench' EXIT
info=$(TQ350_STATE_DIR="$dir/state" timed "$tq350" --port "$root/build/sim/cli-bench" info)
# The wake and close pauses, and the line time of 49 bytes at 10 bits a byte.
floor=$(awk 'BEGIN { printf "%.0f", 2500 + 300 + 49 * 10 * 1000 / 9600 }')
awk -v ours="$info" -v floor="$floor" \
    'BEGIN { printf "tq350 info at 9600 bps: %d ms, floor %d ms, ratio %.3f (goal 1.03)\n", ours, floor, ours / floor }'

theirs=$(timed convert "$photo" -sample 384x247 -dither FloydSteinberg -monochrome "$dir/photo-im.png")
ours=$(timed "$tq350" logo convert "$photo" "$dir/photo-tq350.png" --stretch)
echo "tq350 logo convert of the 12-megapixel JPEG: median of $rounds: $ours ms"
echo "ImageMagick on the same file: median of $rounds: $theirs ms"
awk -v ours="$ours" -v theirs="$theirs" \
    'BEGIN { printf "tq350 logo convert against ImageMagick: %.2fx (goal 0.3x)\n", ours / theirs }'
