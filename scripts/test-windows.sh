#!/usr/bin/env bash
# test-windows.sh: the Windows suites for make test, in two lanes side by side, each a
# Wine session with a prefix, a display and virtual printers of its own. The fault
# matrix, which mostly waits out the printer's time-outs, runs in the second lane
# beside everything else; its output follows the first lane's.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
log="$root/build/windows/fault-matrix-lane.log"

# The end-to-end suites' case lists are found at test time and cached in the build tree:
# found once here, before the lanes would both write them.
"$here/wine-session.sh" ctest --preset windows -N >/dev/null || exit 1

TQ350_LANE=b TQ350_HEADLESS=1 "$here/wine-session.sh" ctest --preset windows -R FaultMatrix \
    >"$log" 2>&1 &
lane_b=$!

"$here/wine-session.sh" ctest --preset windows -E FaultMatrix
status=$?
wait "$lane_b"
status_b=$?

echo
echo "Fault matrix (second lane):"
cat "$log"
[ "$status" -eq 0 ] && [ "$status_b" -eq 0 ]
