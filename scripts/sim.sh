#!/usr/bin/env bash
# sim.sh start NAME [tq350-sim options...]   start a virtual printer on build/sim/NAME
# sim.sh stop NAME                          stop it and remove its link
#
# Under TQ350_SIM_ROOT instead of build/sim when that is set (a lane of make test); a
# relative --paper folder is taken from there too.
# In build/sim/state: printer-NAME.journal (what the printer received),
# printer-NAME.control (faults to switch on while it runs), printer-NAME.log (its
# messages). The prefix matters: to Windows, and so to a test under Wine,
# "com5.journal" is the device COM5 whatever its folder or extension.
# The Wine prefix maps build/sim/com5 and build/sim/com12 as COM5 and COM12.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
sim="${TQ350_SIM:-$root/build/native/sim/tq350-sim}"
links="${TQ350_SIM_ROOT:-$root/build/sim}"
dir="$links/state"

stop() {
    local pid_file="$dir/printer-$1.pid"
    [ -f "$pid_file" ] || return 0
    local pid
    pid=$(cat "$pid_file")
    rm -f "$pid_file"
    kill -TERM "$pid" 2>/dev/null || return 0
    # Waits for the process itself, not a guess of how long it takes.
    timeout 10 tail --pid="$pid" -s 0.02 -f /dev/null || kill -KILL "$pid" 2>/dev/null || true
}

start() {
    local name=$1
    shift
    local options=()
    while [ $# -gt 0 ]; do
        if [ "$1" = --paper ] && [ $# -gt 1 ] && [ "${2#/}" = "$2" ]; then
            options+=(--paper "$links/$2")
            shift 2
        else
            options+=("$1")
            shift
        fi
    done
    [ -x "$sim" ] || { echo "sim.sh: $sim is not built (make native)" >&2; exit 1; }
    mkdir -p "$dir"
    stop "$name"
    : >"$dir/printer-$name.control"
    rm -f "$dir/printer-$name.journal"
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # Detached, with no descriptor of ours: ctest waits for its test's pipes to close.
    setsid "$sim" --link "$links/$name" --journal "$dir/printer-$name.journal" \
        --control "$dir/printer-$name.control" ${options[@]+"${options[@]}"} >"$fifo" 2>"$dir/printer-$name.log" </dev/null &
    echo $! >"$dir/printer-$name.pid"
    local line=""
    exec 3<"$fifo"
    rm -f "$fifo"
    read -r -t 10 -u 3 line || true
    # Keep draining its output so that it never blocks on a full pipe.
    setsid cat <&3 >>"$dir/printer-$name.log" 2>/dev/null &
    exec 3<&-
    case "$line" in
    ready*) echo "virtual printer $name: $links/$name" ;;
    *)
        echo "sim.sh: the virtual printer did not start:" >&2
        cat "$dir/printer-$name.log" >&2
        stop "$name"
        exit 1
        ;;
    esac
}

case "${1:-}" in
start) shift; start "$@" ;;
stop) stop "$2" ;;
*) echo "usage: sim.sh start NAME [options] | stop NAME" >&2; exit 1 ;;
esac
