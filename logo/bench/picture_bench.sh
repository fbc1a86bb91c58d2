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
. "$root/scripts/bench-common.sh"

imagemagick=$(timed convert "$photo" -sample 384x247 -dither FloydSteinberg -monochrome "$dir/photo-1bit.bmp")
ours_line=$("$WINE" "$root/build/windows/logo/logo_load_bench.exe" "Z:$photo" "$rounds" </dev/null)
ours=$(sed -n 's/.*: \([0-9]*\) ms (loading.*/\1/p' <<<"$ours_line")
echo "$ours_line"
echo "ImageMagick on the same file (whole process): median of $rounds: $imagemagick ms"
awk -v ours="$ours" -v theirs="$imagemagick" \
    'BEGIN { printf "picture to preview against ImageMagick: %.2fx (goal 0.8x)\n", ours / theirs }'

"$root/build/native/logo/logo_bench"
