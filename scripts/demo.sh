#!/usr/bin/env bash
# A short scripted demo of Nivora on the virtual display, for `make run` without a display: at
# 96 and then at 144 dpi it starts the program, opens every page, sub-page, menu and dialog,
# hides and restores a few windows, and saves a screenshot of each step in $NV_DEMO_OUT/96/ and
# $NV_DEMO_OUT/144/, cropped to the windows shown. Runs inside scripts/with-wine.sh.
# Usage: demo.sh PATH/TO/Nivora.exe
set -uo pipefail
exe=$1
bin=$(dirname "$exe")
out=${NV_DEMO_OUT:-build/demo}
wine=/usr/lib/wine/wine64
poke() { "$wine" "$bin/nv_poke.exe" "$@" 2>/dev/null || echo "  (nv_poke $* did not succeed)" >&2; }
# shot NAME [GEOMETRY]: the windows of Nivora shown now, or the given part of the screen.
shot() {
    local geometry=${2:-}
    [ -n "$geometry" ] || geometry=$("$wine" "$bin/nv_poke.exe" rect 2>/dev/null | tr -d '\r')
    if [ -z "$geometry" ]; then echo "  $1: nothing shown" >&2; return; fi
    import -window root -crop "$geometry" +repage "$dir/$1.png" && echo "  $dir/$1.png"
}
# The popup menu shown now: saved with the window under it, then closed with Escape.
menu_shot() {
    poke shown '#32768'
    shot "$1"
    poke keys 27
    poke gone '#32768'
}
reg() { "$wine" reg "$@" >/dev/null 2>&1; }
# Waits up to 20 s for a program started here to end, then ends it.
ends() {
    for _ in $(seq 200); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    kill "$1" 2>/dev/null && echo "  (ended $2 by force)" >&2
    wait "$1" 2>/dev/null
}

run_demo() {
    local dpi=$1
    dir="$out/$dpi"
    mkdir -p "$dir"
    rm -f "$dir"/*.png
    echo "Nivora at $dpi dpi on the virtual display $DISPLAY"
    # Each run starts like a first one: no settings, lists or password.
    rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Talvern
    reg delete 'HKCU\Software\Windows\Cryptography' /v 10 /f
    # Read by every program started from now on.
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    "$wine" "$bin/nv_windows.exe" "Notes - draft" "Budget 2026" "Holiday photos" &
    local windows=$!
    "$wine" "$exe" 2>/dev/null &
    local nivora=$!
    poke wait

    shot 01-windows-page
    # The visible windows' menu; its first item adds the window to the Do-not-hide list.
    poke menu 0
    poke shown '#32768'
    shot 02-windows-menu-visible-windows
    poke keys 40
    poke keys 13
    poke gone '#32768'
    # The Do-not-hide list's menu; its first item spares that one window, not all of its program's.
    poke menu 2
    poke shown '#32768'
    shot 03-windows-menu-do-not-hide-list
    poke keys 40
    poke keys 13
    poke gone '#32768'
    poke menu 1
    menu_shot 04-windows-menu-bring-to-top

    poke click "&Extra Settings"
    shot 05-extra-settings-general
    poke click "Show Hotkeys Layout"
    poke shown TFormKeyboardLayour
    shot 06-hotkeys-layout-over-main-window
    poke click-in TFormKeyboardLayour "Close"
    poke gone TFormKeyboardLayour
    poke click "Set Password"
    poke shown "Application password"
    shot 07-set-password-dialog
    poke type "Application password" 0 demo
    poke type "Application password" 1 demo
    poke click-in "Application password" "Ok"
    poke gone "Application password"

    poke click "Shortcuts"
    shot 08-extra-settings-shortcuts
    poke click-beside "Ctrl+\`"
    poke shown "Mouse Shortcut"
    shot 09-mouse-shortcut-dialog
    poke click-in "Mouse Shortcut" "Cancel"
    poke gone "Mouse Shortcut"
    poke click "Sound"
    shot 10-extra-settings-sound
    poke click "Display"
    shot 11-extra-settings-display
    poke click "List"
    menu_shot 12-display-menu-resolutions
    # The test of the selected mode (the mode in use here): a notice, then the countdown.
    poke click "Test selected resolution"
    poke shown '#32770'
    shot 13-display-test-notice
    poke answer "OK"
    poke shown "Display mode test"
    shot 14-display-test-dialog
    poke click-in "Display mode test" "&No"
    poke gone "Display mode test"
    poke click "&About"
    shot 15-about

    # Hidden and restored, both showing the part of the screen the windows take.
    poke click "&Windows"
    local desktop
    desktop=$("$wine" "$bin/nv_poke.exe" rect-all 2>/dev/null | tr -d '\r')
    poke keys 17 192
    poke hidden
    shot 16-hidden "$desktop"
    poke keys 17 192
    poke wait
    shot 17-restored "$desktop"

    poke click "&Terminate"
    poke shown '#32770'
    shot 18-terminate-question
    poke answer "Cancel"
    poke gone '#32770'
    # With the password set above, Ctrl+\ hides the window and asks before showing it again.
    poke keys 17 220
    poke hidden
    poke keys 17 220
    poke shown "NVA"
    shot 19-password-prompt
    poke type "NVA" 0 demo
    poke click-in "NVA" "&Ok"
    poke wait

    poke click "&Terminate"
    poke answer "&Yes"
    ends "$nivora" Nivora
    poke quit "Notes - draft"
    ends "$windows" nv_windows
}

run_demo 96
run_demo 144
