#!/usr/bin/env bash
# dist_reproducible.sh LIST DIR
# Makes the zip twice, in another second each time, and fails unless both have the same
# bytes; then unpacks the first into the empty DIR/unpacked and checks its SHA256SUMS.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
list=${1:?usage: dist_reproducible.sh LIST DIR}
dir=${2:?usage: dist_reproducible.sh LIST DIR}
rm -rf "$dir"

first=$("$root/scripts/dist.sh" "$list" "$dir/first")
# Times inside a zip have a 2-second resolution: a leak of the clock needs a later one to show.
sleep 2
second=$("$root/scripts/dist.sh" "$list" "$dir/second")
cmp "$first" "$second"

mkdir "$dir/unpacked"
(cd "$dir/unpacked" && unzip -q "$first" && sha256sum --quiet -c SHA256SUMS)
listed=$(cd "$dir/unpacked" && ls)
expected=$(printf '%s\n' README.txt SHA256SUMS $(tail -n +2 "$list" | xargs -n1 basename) | sort)
[ "$listed" = "$expected" ] || { printf 'zip holds:\n%s\nexpected:\n%s\n' "$listed" "$expected" >&2; exit 1; }
echo "$(sha256sum "$first")"
