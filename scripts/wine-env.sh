# Sourced by the other scripts: the project's own Wine prefix and environment.
# The prefix lives in the build tree, never in the user's ~/.wine. TQ350_DPI=144 (make
# screenshots) gives a prefix of its own whose screen has that many dots per inch.
TQ350_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export TQ350_ROOT
# TQ350_LANE=b (the second lane of make test) gives a prefix and virtual printers of its
# own, so that two Wine sessions can run side by side.
export TQ350_SIM_ROOT="$TQ350_ROOT/build/sim${TQ350_LANE:+-$TQ350_LANE}"
export WINEPREFIX="${TQ350_WINEPREFIX:-$TQ350_ROOT/build/wineprefix${TQ350_LANE:+-$TQ350_LANE}${TQ350_DPI:+-${TQ350_DPI}dpi}}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Skips the Mono and Gecko installers a new prefix would otherwise ask for.
export WINEDLLOVERRIDES="mscoree,mshtml="
# wine64 is not on PATH on Debian; /usr/bin/wine only adds a "wine32 is missing" hint.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
