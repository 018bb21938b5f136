#!/usr/bin/env bash
# Runs a command inside a Wine prefix and on a virtual X display of its own (or on $DISPLAY when
# NV_USE_DISPLAY=1), so that several can run side by side. The prefix is a copy of the one
# wine-template.sh keeps in $NV_WINE_CACHE (default build/wine): fonts, no window-manager wait,
# Windows 10. Usage: scripts/with-wine.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
template=$("$here/wine-template.sh" "${NV_WINE_CACHE:-$here/../build/wine}")
work=$(mktemp -d "$(dirname "$template")/run.XXXXXX")  # beside it, to link its files
export WINEPREFIX="$work/pfx" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINE=/usr/lib/wine/wine64
xvfb_pid=""
cleanup() {
    WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
if [ "${NV_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display number itself and writes it down once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    until grep -q . "$work/display" 2>/dev/null; do
        kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$work/display")"
fi
# The system folders, nine tenths of the prefix, are linked instead of copied: Wine writes there
# only to update a prefix made by another Wine version, and the template is kept per version.
mkdir "$WINEPREFIX"
tar -C "$template" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/winsxs \
    -cf - . | tar -C "$WINEPREFIX" -xf -
cp -al "$template/drive_c/windows/system32" "$template/drive_c/windows/winsxs" \
    "$WINEPREFIX/drive_c/windows/"
# One Wine session for the whole command: the server stays when its last program ends, and so do
# the desktop and services the first program started (a new session takes seconds).
/usr/lib/wine/wineserver -p
"$@"
