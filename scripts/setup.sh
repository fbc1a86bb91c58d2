#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build make g++ python3
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    googletest
    wine wine64 fonts-wine fonts-dejavu-core
    xvfb xauth xdotool imagemagick
    zip unzip   # make dist
    libpng-dev libzint-dev console-setup-linux zbar-tools
    libjpeg62-turbo-dev libgif-dev   # tq350 on Linux decodes pictures with them
    clang libclang-rt-14-dev llvm   # sanitize preset: runtimes, libFuzzer, llvm-symbolizer
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
