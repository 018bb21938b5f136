#!/usr/bin/env bash
# Runs every test: the native logic tests, and the Windows and end-to-end tests under Wine, all
# at once. Each Windows test program is split into shards (NV_WIN_SHARDS, NV_E2E_SHARDS); a
# shard is one process with a prefix and a display of its own (scripts/with-wine.sh), since the
# end-to-end tests press global hotkeys and move the foreground window. Prints a line per shard,
# the output of every failed test, and a closing line with the totals, counted test by test.
# The whole output of each shard stays in BUILD/test-logs/.
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
logs="$build/test-logs"
rm -rf "$logs"
mkdir -p "$logs"
export NV_WINE_CACHE="$build/wine"
unset NV_USE_DISPLAY WINEPREFIX  # every shard has a display and a prefix of its own
started=$SECONDS

declare -A shard_of=()
# Starts one shard in the background: NAME, then the command that runs it.
start() {
    local name=$1
    shift
    "$@" >"$logs/$name.out" 2>&1 &
    shard_of[$!]=$name
}

start core "$here/gtest-shard.sh" "$logs/core" 0 1 "$build/host/core_tests"
# What the program imports by name: only libraries Windows never looks for beside it.
start imports "$here/check-imports.sh" "$logs/imports" "$build"
# The shards share one ready-made prefix; make it before they all ask for it.
"$here/wine-template.sh" "$NV_WINE_CACHE" >/dev/null
# The VirtualDesktop tests switch display modes: they run in a shard of their own, in a Wine
# virtual desktop that no other test sees. The Setup tests (scripts/test-setup.sh) install the
# downloads in BUILD/dist: a shard of their own as well.
for program in win_tests:${NV_WIN_SHARDS:-2} e2e_tests:${NV_E2E_SHARDS:-3}; do
    exe="$build/win/bin/${program%:*}.exe" count=${program#*:}
    [ -f "$exe" ] || continue
    for ((i = 0; i < count; i++)); do
        start "${program%:*}-$((i + 1))of$count" "$here/with-wine.sh" \
            "$here/gtest-shard.sh" "$logs/${program%:*}-$((i + 1))of$count" "$i" "$count" \
            /usr/lib/wine/wine64 "$exe" "--gtest_filter=-VirtualDesktop.*:Setup.*"
    done
done
if [ -f "$build/win/bin/e2e_tests.exe" ]; then
    start e2e-vdesktop "$here/with-wine.sh" "$here/with-virtual-desktop.sh" \
        "$here/gtest-shard.sh" "$logs/e2e-vdesktop" 0 1 \
        /usr/lib/wine/wine64 "$build/win/bin/e2e_tests.exe" "--gtest_filter=VirtualDesktop.*"
    # The setup tests install into Program Files and HKLM: a prefix of their own too.
    start e2e-setup "$here/with-wine.sh" "$here/test-setup.sh" "$logs/e2e-setup" "$build"
fi

while [ ${#shard_of[@]} -gt 0 ]; do
    wait -n -p done_pid
    name=${shard_of[$done_pid]}
    unset "shard_of[$done_pid]"
    results="$logs/$name/results"
    if [ ! -f "$results" ]; then
        mkdir -p "$logs/$name"
        echo "failed $name (the shard did not start)" >"$results"
        cat "$logs/$name.out" >"$logs/$name/failures"
    fi
    printf '%-16s %3d passed, %d failed  (%d s)\n' "$name" "$(grep -c '^passed ' "$results")" \
        "$(grep -c '^failed ' "$results")" $((SECONDS - started))
done

cat "$logs"/*/results >"$logs/results"
for failures in "$logs"/*/failures; do
    [ -s "$failures" ] || continue
    echo
    echo "---- failed in $(basename "$(dirname "$failures")"):"
    cat "$failures"
done
passed=$(grep -c '^passed ' "$logs/results")
failed=$(grep -c '^failed ' "$logs/results")
skipped=$(grep -c '^skipped ' "$logs/results")
echo
echo "$passed passed, $failed failed$([ "$skipped" -eq 0 ] || echo ", $skipped skipped")"
[ "$failed" -eq 0 ]
