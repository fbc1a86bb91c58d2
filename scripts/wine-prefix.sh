#!/usr/bin/env bash
# Creates and configures the project's Wine prefix once; later calls return at once.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# Raise this when the configuration below changes, so old prefixes are redone.
config_version=3
stamp="$WINEPREFIX/.tq350-prefix-$config_version"
[ -f "$stamp" ] && exit 0

echo "Preparing the Wine prefix in $WINEPREFIX (once, about 10 s)..."
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# wineboot's system processes inherit stdout/stderr: never leave them on a pipe.
"$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true

# Wine's own fonts, or a host font stands in and dialogs come out the wrong size.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

sim_dir="$TQ350_SIM_ROOT"
reg="$WINEPREFIX/drive_c/tq350-prefix.reg"
cat > "$reg" <<REG
REGEDIT4

; The virtual printers' stable link paths (scripts/sim.sh), as COM5 and COM12:
; one port below and one above COM9, which opens only through its device path.
; COM7 points where no printer ever makes its link: a port whose device is gone,
; as an unplugged USB adapter leaves it.
[HKEY_LOCAL_MACHINE\Software\Wine\Ports]
"COM5"="$sim_dir/com5"
"COM7"="$sim_dir/com7"
"COM12"="$sim_dir/com12"

; A crashing program must end at once (and fail its test), not wait in winedbg.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"

; Without a window manager every window close stalls 2 s unless Wine manages itself.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
# Wine reads the screen's dots per inch when its server starts: the restart below.
if [ -n "${TQ350_DPI:-}" ]; then
    printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$TQ350_DPI" >>"$reg"
fi
"$WINE" regedit /S 'C:\tq350-prefix.reg' </dev/null >/dev/null 2>&1
rm -f "$reg"
# The registry files are written when the server ends.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
touch "$stamp"
