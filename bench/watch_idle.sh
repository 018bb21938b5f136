#!/usr/bin/env bash
# Benchmark, run inside scripts/with-wine.sh: the CPU time Nivora.exe spends in 60 s of nothing
# with "Hide newly created windows while in HIDE mode" ticked (shook.dll loaded and watching),
# in 60 s with "Hide windows when idle for" 5 minutes ticked (its timer set and waiting), and in
# 30 s with both unticked, read from /proc (Wine's GetProcessTimes of another process does not
# tell the truth). Prints figures; asserts nothing.
set -u
bin=${1:-build}/win/bin
data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Talvern/NVA"

idle() {  # $1: what is ticked (watch, idle or nothing), $2: seconds
    local watch=0 hideIdle=0 what="nothing ticked"
    case $1 in
        watch) watch=1 what="hide newly created windows on" ;;
        idle) hideIdle=1 what="hide when idle (5 minutes) on" ;;
    esac
    rm -rf "$data" && mkdir -p "$data"
    printf '[General]\r\nHideNewlyCreatedWindows=%s\r\nHideWhenIdle=%s\r\nIdleMinutes=5\r\n' \
        "$watch" "$hideIdle" >"$data/nva.dat"
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
    echo "Idle, $what (shook.dll loaded: $loaded):" \
        "Nivora used $(( (b - a) * 1000 / hz )) ms of CPU in $2 s"
    kill -9 "$pid" 2>/dev/null
    wait "$started" 2>/dev/null || true  # it was killed: 137 is expected
}

idle watch 60
idle idle 60
idle nothing 30
