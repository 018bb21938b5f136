#!/usr/bin/env bash
# Runs every test: the native logic tests, then the Windows tests and end-to-end tests under
# Wine. Prints one closing line with the totals.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp)
status=0
ctest --test-dir "$build/host" --output-on-failure -j2 2>&1 | tee "$log" || status=1
"$here/with-wine.sh" ctest --test-dir "$build/win" --output-on-failure 2>&1 | tee -a "$log" || status=1
passed=0; failed=0
while read -r p t; do passed=$((passed + p)); failed=$((failed + t - p)); done < <(
    sed -nE 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1 \2/p' "$log" |
    awk '{print $2-$1, $2}')
rm -f "$log"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
