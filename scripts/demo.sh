#!/usr/bin/env bash
# A short scripted demo of Nivora on the virtual display, for `make run` without a display:
# starts the program, shows its pages, hides and restores a few windows, and saves screenshots.
set -uo pipefail
exe=$1
bin=$(dirname "$exe")
out=${NV_DEMO_OUT:-build/demo}
wine=/usr/lib/wine/wine64
shot() { sleep "${2:-1}"; import -window root "$out/$1.png" && echo "  $out/$1.png"; }
poke() { $wine "$bin/nv_poke.exe" "$@" >/dev/null 2>&1; }

echo "Starting Nivora on the virtual display $DISPLAY"
[ -f "$bin/nv_windows.exe" ] && { $wine "$bin/nv_windows.exe" "Notes - draft" "Budget 2026" "Holiday photos" & }
sleep 1
$wine "$exe" &
poke wait
shot 1-windows-page 2
poke click "&Extra Settings"; shot 2-extra-settings
poke click "Show Hotkeys Layout"; shot 2b-hotkeys-layout
poke click-in TFormKeyboardLayour "Close"
poke click "Shortcuts"; shot 3-shortcuts
poke click "Sound"; shot 4-sound
poke click "Display"; shot 5-display
poke click "&About"; shot 6-about
poke click "&Windows"; shot 7-back-to-windows
poke keys 17 192; shot 8-hidden 2
poke keys 17 192; shot 9-restored 2
poke click "&Terminate"; sleep 1; poke answer "&Yes"
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
