#!/usr/bin/env bash
# picture_bench.sh: a 12-megapixel JPEG to the converted logo preview through
# the program's own loader and converter under Wine, against ImageMagick doing
# the same job (sample to 384 x 247, Floyd-Steinberg, one bit) on the same
# file in the same run, and the ratio of the two medians; then the native
# diffusion benchmark of the core. Run from scripts/bench.sh, inside a warm
# Wine session, after the native and windows builds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$root/scripts/wine-env.sh"
rounds=${1:-5}
dir="$root/build/bench"
mkdir -p "$dir"
photo="$dir/photo-12mp.jpg"
# Fractal plasma: colour and detail all over, so the decoder gets no easy blocks.
[ -f "$photo" ] || convert -size 4000x3000 -seed 7 plasma:fractal -quality 90 "$photo"

milliseconds() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | sed -n "$(( (rounds + 1) / 2 ))p"; }

imagemagick=$(
    for _ in $(seq "$rounds"); do
        start=$(milliseconds)
        convert "$photo" -sample 384x247 -dither FloydSteinberg -monochrome "$dir/photo-1bit.bmp"
        echo $(( $(milliseconds) - start ))
    done | median
)
ours_line=$("$WINE" "$root/build/windows/logo/logo_load_bench.exe" "Z:$photo" "$rounds" </dev/null)
ours=$(sed -n 's/.*: \([0-9]*\) ms (loading.*/\1/p' <<<"$ours_line")
echo "$ours_line"
echo "ImageMagick on the same file (whole process): median of $rounds: $imagemagick ms"
awk -v ours="$ours" -v theirs="$imagemagick" \
    'BEGIN { printf "picture to preview against ImageMagick: %.2fx (goal 0.8x)\n", ours / theirs }'

"$root/build/native/logo/logo_bench"
