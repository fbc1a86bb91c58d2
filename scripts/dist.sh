#!/usr/bin/env bash
# dist.sh LIST OUTDIR
# Writes the Windows zip, OUTDIR/tq350setup-VERSION-win64.zip: the exes named in LIST
# stripped of their debug information, README.txt for Windows users and SHA256SUMS.
# LIST is the build tree's dist.txt (the version, then one exe a line; tq350_ship in
# CMake adds to it). The same commit gives the same bytes: every time inside the zip and
# the exes' headers is the commit's, the order is fixed. Each exe's symbols are kept
# beside the zip as NAME.debug. make dist builds the exes first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
list=${1:?usage: dist.sh LIST OUTDIR}
out=${2:?usage: dist.sh LIST OUTDIR}

mapfile -t lines <"$list"
version=${lines[0]}
exes=("${lines[@]:1}")
# strip and zip take their times from here (binutils reads SOURCE_DATE_EPOCH for the
# exe header's time stamp; it would otherwise write the current time).
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH TZ=UTC
zip_name="tq350setup-$version-win64.zip"

mkdir -p "$out"
out=$(cd "$out" && pwd)
staging=$(mktemp -d "$out/.staging.XXXXXX")
trap 'rm -rf "$staging"' EXIT

names=()
for exe in "${exes[@]}"; do
    name=$(basename "$exe")
    x86_64-w64-mingw32-objcopy --only-keep-debug "$exe" "$out/${name%.exe}.debug"
    x86_64-w64-mingw32-strip --strip-all -o "$staging/$name" "$exe"
    names+=("$name")
done
# Notepad on older Windows shows a text without carriage returns as one line.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/docs/README-windows.txt" >"$staging/README.txt"
names+=(README.txt)
(cd "$staging" && sha256sum "${names[@]}" >SHA256SUMS)
names+=(SHA256SUMS)

chmod 0644 "${names[@]/#/$staging/}"
touch -d "@$SOURCE_DATE_EPOCH" "${names[@]/#/$staging/}"
rm -f "$out/$zip_name"
# -X: no extra fields (owner, access times); the names in this order, no folders.
(cd "$staging" && zip -q -X -9 "$out/$zip_name" "${names[@]}")
echo "$out/$zip_name"
