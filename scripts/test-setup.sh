#!/usr/bin/env bash
# The downloads under Wine, inside scripts/with-wine.sh: unpacks the portable zip into a folder
# of the prefix whose name has a blank, then runs the Setup tests of e2e_tests (which install
# the setup program of BUILD/dist) as one shard. Usage: scripts/test-setup.sh OUT BUILD
set -euo pipefail
out=$1 build=$2
here=$(cd "$(dirname "$0")" && pwd)
zips=("$build"/dist/Nivora-*-portable.zip)
if [ ${#zips[@]} -ne 1 ] || [ ! -f "${zips[0]}" ]; then
    echo "no single Nivora-*-portable.zip in $build/dist: run 'make dist'" >&2
    exit 1
fi
portable="$WINEPREFIX/drive_c/Portable Nivora"
mkdir -p "$portable"
(cd "$portable" && cmake -E tar xf "${zips[0]}")
export NV_PORTABLE_DIR='C:\Portable Nivora'
exec "$here/gtest-shard.sh" "$out" 0 1 /usr/lib/wine/wine64 "$build/win/bin/e2e_tests.exe" \
    "--gtest_filter=Setup.*"
