#!/usr/bin/env bash
# Runs a command inside a fresh Wine prefix on a virtual X display (or on $DISPLAY when
# NV_USE_DISPLAY=1). The prefix is set up as the tests need it: fonts, no window-manager wait,
# Windows 10. Usage: scripts/with-wine.sh COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/nivora-wine.XXXXXX)
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
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        break
    done
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
fi
"$here/wine-prefix.sh" "$WINEPREFIX"
"$@"
