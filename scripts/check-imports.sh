#!/usr/bin/env bash
# Reads the import tables of Nivora.exe and of its own two libraries: every library they import
# must be one that Windows 7 to 11 all keep among their known libraries, which Windows never looks
# for in the program's folder, or comctl32, which the program's manifest binds to common controls
# 6. Another one would be looked for beside the program first: a portable copy unpacked next to a
# planted winmm.dll would run it. (Under Wine a planted library is never loaded, so the tables
# are what shows it.) The program delay-loads the other system libraries it calls, from the
# system folder. Records one result per file as scripts/gtest-shard.sh does.
# Usage: scripts/check-imports.sh OUT BUILD
set -uo pipefail
out=$1 bin="$2/win/bin"
mkdir -p "$out"
: >"$out/results"
: >"$out/failures"
known=" advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi
        ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32 "
for file in Nivora.exe nvatray.dll shook.dll; do
    name="Imports.$file"
    if ! table=$(x86_64-w64-mingw32-objdump -p "$bin/$file" 2>&1); then
        echo "failed $name" >>"$out/results"
        printf '%s: cannot be read\n%s\n' "$file" "$table" >>"$out/failures"
        continue
    fi
    bad=""
    for dll in $(echo "$table" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        base=${dll%.dll}
        case "$known" in *" $base "*) continue ;; esac
        [ "$file" = Nivora.exe ] && [ "$base" = comctl32 ] && continue
        bad+=" $dll"
    done
    if [ -z "$bad" ]; then
        echo "passed $name" >>"$out/results"
    else
        echo "failed $name" >>"$out/results"
        echo "$file imports libraries Windows looks for beside the program first:$bad" \
            "(delay-load them: CMakeLists.txt, cmake/delayload/)" >>"$out/failures"
    fi
done
! grep -q '^failed ' "$out/results"
