#!/usr/bin/env bash
# Benchmark, run inside scripts/with-wine.sh: the CPU time Nivora.exe spends in 60 s of nothing
# with "Hide newly created windows while in HIDE mode" ticked (shook.dll loaded and watching),
# and in 30 s with it unticked, read from /proc (Wine's GetProcessTimes of another process does
# not tell the truth). Prints figures; asserts nothing.
set -u
bin=${1:-build}/win/bin
data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Talvern/NVA"

idle() {  # $1: 1 or 0 for the option, $2: seconds
    rm -rf "$data" && mkdir -p "$data"
    printf '[General]\r\nHideNewlyCreatedWindows=%s\r\n' "$1" >"$data/nva.dat"
    /usr/lib/wine/wine64 "$bin/Nivora.exe" /q >/dev/null 2>&1 &
    local started=$! pid=""
    sleep 8  # start-up done
    # The Windows process is the wine process started above, or a child of it.
    for p in $started $(pgrep -P "$started"); do
        grep -q Nivora.exe "/proc/$p/cmdline" 2>/dev/null && pid=$p
    done
    if [ -z "$pid" ]; then echo "Nivora.exe not found"; return; fi
    local loaded=no
    grep -qi shook.dll "/proc/$pid/maps" && loaded=yes
    local hz a b
    hz=$(getconf CLK_TCK)
    a=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$2"
    b=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    echo "Idle, option $([ "$1" = 1 ] && echo on || echo off) (shook.dll loaded: $loaded):" \
        "Nivora used $(( (b - a) * 1000 / hz )) ms of CPU in $2 s"
    kill -9 "$pid" 2>/dev/null
    wait "$started" 2>/dev/null || true  # it was killed: 137 is expected
}

idle 1 60
idle 0 30
