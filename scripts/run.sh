#!/usr/bin/env bash
# Starts Nivora under Wine: on your display when there is one, otherwise on a virtual display
# with a short scripted demo that leaves screenshots in build/demo/96/ and build/demo/144/.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
exe="$build/win/bin/Nivora.exe"
if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-nivora}" WINEDEBUG=-all
    [ -d "$WINEPREFIX" ] || "$here/wine-prefix.sh" "$WINEPREFIX"
    exec /usr/lib/wine/wine64 "$exe"
fi
mkdir -p "$build/demo"
NV_DEMO_OUT="$(cd "$build/demo" && pwd)" "$here/with-wine.sh" "$here/demo.sh" "$exe"
echo "Screenshots in $build/demo/:"
for dpi in 96 144; do echo "  $dpi/: $(cd "$build/demo/$dpi" && ls | tr '\n' ' ')"; done
