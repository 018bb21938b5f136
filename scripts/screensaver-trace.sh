#!/usr/bin/env bash
# Shows, under Wine, what Ctrl+F12 does: the workstation lock (a stub in Wine) and then the
# screen-saver command posted to the desktop window, out of hidden mode and in it. Neither has a
# visible effect under Wine, so they are read from Wine's debug channels. Exits 0 when both calls
# were seen twice, in that order. Usage: scripts/with-wine.sh scripts/screensaver-trace.sh [BUILD]
set -uo pipefail
bin="${1:-build}/win/bin"
wine=/usr/lib/wine/wine64
log=$(mktemp)
# The first program of the session: explorer, which owns the desktop window, inherits the
# channels and logs the delivery of the command.
WINEDEBUG=trace+msg,trace+message,trace+graphics "$wine" "$bin/Nivora.exe" 2>"$log" &
"$wine" "$bin/nv_poke.exe" wait
sleep 1
"$wine" "$bin/nv_poke.exe" keys 17 123 && sleep 1   # Ctrl+F12
"$wine" "$bin/nv_poke.exe" keys 17 192 && sleep 1   # Ctrl+`: hidden mode
"$wine" "$bin/nv_poke.exe" keys 17 123 && sleep 1   # Ctrl+F12 while hidden
"$wine" "$bin/nv_poke.exe" keys 17 192 && sleep 1   # restore
/usr/lib/wine/wineserver -k
seen=$(grep -E 'LockWorkStation : stub|NtUserPostMessage .*WM_SYSCOMMAND\) wp f140|\{#32769\}.*WM_SYSCOMMAND dispatched' "$log")
rm -f "$log"
echo "$seen"
# The lock then the post, twice (the desktop's own deliveries aside).
order=$(echo "$seen" | grep -v dispatched | sed -E 's/.*LockWorkStation.*/L/; s/.*NtUserPostMessage.*/P/' | tr -d '\n')
[ "$order" = LPLP ]
