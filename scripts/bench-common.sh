# Sourced by the benchmark scripts, with root and rounds set: the 12-megapixel
# photograph they share in build/bench ($dir, $photo) and the median of timed runs.
dir="$root/build/bench"
mkdir -p "$dir"
photo="$dir/photo-12mp.jpg"
# Fractal plasma: colour and detail all over, so the decoder gets no easy blocks.
[ -f "$photo" ] || convert -size 4000x3000 -seed 7 plasma:fractal -quality 90 "$photo"

milliseconds() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | sed -n "$(( (rounds + 1) / 2 ))p"; }
# The median of $rounds runs of the command, in milliseconds; its output is dropped.
timed() {
    for _ in $(seq "$rounds"); do
        start=$(milliseconds)
        "$@" >/dev/null
        echo $(( $(milliseconds) - start ))
    done | median
}
