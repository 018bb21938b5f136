#!/usr/bin/env bash
# Runs a command in a Wine virtual desktop of 1280x1024, where display modes can be listed and
# switched (plain Xvfb offers one size). Works on a copy of the current prefix with a wineserver
# of its own, so no other test ever sees the virtual desktop or a switched mode.
# Usage, inside scripts/with-wine.sh: scripts/with-virtual-desktop.sh COMMAND [ARGS...]
set -euo pipefail
[ -n "${WINEPREFIX:-}" ] || { echo "WINEPREFIX is not set: run inside scripts/with-wine.sh" >&2; exit 2; }
work=$(mktemp -d /tmp/nivora-vdesk.XXXXXX)
cleanup() {
    WINEPREFIX="$work/pfx" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -a --reflink=auto "$WINEPREFIX" "$work/pfx"
export WINEPREFIX="$work/pfx"
wine=/usr/lib/wine/wine64
# Every plain `wine64 prog.exe` of this prefix then lands in the desktop named Default.
$wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
$wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
"$@"
