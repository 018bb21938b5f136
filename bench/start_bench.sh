#!/usr/bin/env bash
# Benchmark, run inside scripts/with-wine.sh: Nivora.exe and a bare window program
# (bench/bare_window.cpp) started side by side, by turns, in one Wine session: the time from
# CreateProcessW to the first visible window (bench/start_timer.cpp) and the resident memory
# (VmRSS of the wine process, read from /proc) two seconds later, once start-up is over. Nivora
# starts as on a first run (no data folder). Prints the medians and their ratios; asserts
# nothing. Usage: bench/start_bench.sh [BUILD] [ROUNDS]
set -u
bin=$(cd "${1:-build}/win/bin" && pwd)
rounds=${2:-7}
wine=/usr/lib/wine/wine64
data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Talvern"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# The Unix process of this Wine prefix that runs the given program (other prefixes' are not
# ours to touch).
process_of() {
    local p
    for p in $(pgrep -f "$1"); do
        if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$p"
            return
        fi
    done
}

# Starts a program; prints "<ms to window> <resident KiB>" and ends it.
measure() {
    local exe=$1 ms pid kib
    rm -rf "$data"
    # Into a file: the program started inherits the output, and a pipe would stay open with it.
    "$wine" "$bin/start_timer.exe" "$bin/$exe" >"$out" 2>/dev/null
    ms=$(tr -d '\r' <"$out")
    sleep 2
    pid=$(process_of "$exe")
    kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null
        local state
        for _ in $(seq 100); do  # gone, or ended and waiting for its parent
            state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
            [ -z "$state" ] || [ "$state" = Z ] && break
            sleep 0.05
        done
    fi
    echo "${ms:-0} ${kib:-0}"
}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

measure bare_window.exe >/dev/null  # the session's desktop and services start now
: >/tmp/nv-start-bare.$$
: >/tmp/nv-start-nivora.$$
for ((i = 0; i < rounds; i++)); do
    measure bare_window.exe >>/tmp/nv-start-bare.$$
    measure Nivora.exe >>/tmp/nv-start-nivora.$$
done
bare_ms=$(cut -d' ' -f1 /tmp/nv-start-bare.$$ | median)
bare_kib=$(cut -d' ' -f2 /tmp/nv-start-bare.$$ | median)
nv_ms=$(cut -d' ' -f1 /tmp/nv-start-nivora.$$ | median)
nv_kib=$(cut -d' ' -f2 /tmp/nv-start-nivora.$$ | median)
rm -f /tmp/nv-start-bare.$$ /tmp/nv-start-nivora.$$
echo "Start to the first visible window, median of $rounds: Nivora $nv_ms ms, bare window" \
    "$bare_ms ms ($(awk "BEGIN {printf \"%.2f\", $nv_ms / $bare_ms}")x; goal <= 2x)"
echo "Resident memory after start-up, median of $rounds: Nivora $((nv_kib / 1024)) MiB," \
    "bare window $((bare_kib / 1024)) MiB ($(awk "BEGIN {printf \"%.2f\", $nv_kib / $bare_kib}")x;" \
    "goal <= 1.6x)"
