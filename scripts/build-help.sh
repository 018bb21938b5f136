#!/usr/bin/env bash
# Compiles the help project (help/) into Help.chm: build-help.sh HELP_DIR OUTPUT.
# chmcmd records the target of each help context as the path it found the topic at, so the
# project is compiled inside a small root that holds only chmcmd, its libraries and the help
# files: there each topic's path is just its name, which is what the viewer looks for. Without
# the rights to change root the file is compiled in place, and contexts may open the first page.
set -euo pipefail
src=$(cd "$1" && pwd)
out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmcmd=$(readlink -f "$(command -v chmcmd)")
mkdir -p "$work/bin"
cp "$src"/* "$work/"
cp "$chmcmd" "$work/bin/chmcmd"
# Its libraries, and the threads library its run-time library opens by name at start.
libdir=$(dirname "$(ldd "$chmcmd" | grep -o '/[^ ]*libc\.so[^ ]*')")
for lib in $(ldd "$chmcmd" | grep -o '/[^ ]*') "$libdir/libpthread.so.0" "$libdir/libdl.so.2"; do
    [ -e "$lib" ] || continue
    mkdir -p "$work$(dirname "$lib")"
    cp "$lib" "$work$lib"
done
project=$(basename "$(ls "$src"/*.hhp)")
if chroot "$work" /bin/chmcmd --no-html-scan "/$project" >"$work/log" 2>&1 ||
   unshare -r chroot "$work" /bin/chmcmd --no-html-scan "/$project" >"$work/log" 2>&1; then
    :
else
    echo "build-help: cannot change root; compiling in place" >&2
    (cd "$work" && "$chmcmd" --no-html-scan "$project" >"$work/log" 2>&1) || { cat "$work/log" >&2; exit 1; }
fi
[ -f "$work/Help.chm" ] || { cat "$work/log" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
cp "$work/Help.chm" "$out"
