#!/usr/bin/env bash
# Creates a Wine prefix ready for Nivora and its tests.
set -euo pipefail
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
$wine wineboot -i >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
# Without a window manager every hide of a captioned window would wait for one.
$wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A crashing program prints its backtrace and ends, instead of waiting on a crash dialog.
$wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
$wine winecfg -v win10 >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w
