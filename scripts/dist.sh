#!/usr/bin/env bash
# Makes the two downloads of Nivora in BUILD/dist (build/dist by default), from a finished
# Windows build: Nivora-<version>-setup.exe (packaging/Nivora.nsi) and
# Nivora-<version>-portable.zip (the program files and packaging/ReadMe.txt). The version comes
# from res/version.h, the program files from packaging/files.txt. Usage: scripts/dist.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
bin="$build/win/bin"
dist="$build/dist"
stage="$build/dist-stage"

number() { sed -n "s/^#define $1 \([0-9][0-9]*\)\$/\1/p" "$root/res/version.h"; }
major=$(number NV_VERSION_MAJOR) minor=$(number NV_VERSION_MINOR)
if [ -z "$major" ] || [ -z "$minor" ]; then
    echo "dist: no NV_VERSION_MAJOR/NV_VERSION_MINOR in res/version.h" >&2
    exit 1
fi
version="$major.$minor"

rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage/files"
# Text files get Windows line ends, for every editor a Windows user may open them with; programs
# and libraries lose their symbols, which only a debugger reads (a third of the size stays).
copy() {
    case "$1" in
        *.txt) sed 's/\r*$/\r/' "$1" >"$2" ;;
        *.exe | *.dll) x86_64-w64-mingw32-strip -o "$2" "$1" ;;
        *) cp "$1" "$2" ;;
    esac
}

# The program files, staged, and the NSIS lines that install and remove them.
install_lines="" remove_lines=""
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%$'\r'}
    case "$line" in '' | '#'*) continue ;; esac
    source=${line//\$(BIN)/$bin}
    [ "${source:0:1}" = / ] || source="$root/$source"
    name=$(basename "$source")
    if [ ! -f "$source" ]; then
        echo "dist: $source is missing (run 'make build' first?)" >&2
        exit 1
    fi
    copy "$source" "$stage/files/$name"
    install_lines+="    File \"$stage/files/$name\""$'\n'
    remove_lines+="    Delete /REBOOTOK \"\$INSTDIR\\$name\""$'\n'
done <"$root/packaging/files.txt"
printf '!macro NV_INSTALL_FILES\n%s!macroend\n!macro NV_REMOVE_FILES\n%s!macroend\n' \
    "$install_lines" "$remove_lines" >"$stage/files.nsh"

# The program's icon, for the setup and the uninstaller: rendered by the build where it renders
# the pictures, or kept in res/.
icon="$build/win/pictures/nivora.ico"
[ -f "$icon" ] || icon="$root/res/nivora.ico"
makensis -V2 -NOCD "-DVERSION=$version" "-DSOURCE=$root" "-DSTAGE=$stage" "-DICON=$icon" \
    "-DOUTFILE=$dist/Nivora-$version-setup.exe" "$root/packaging/Nivora.nsi"

mkdir "$stage/portable"
cp "$stage/files/"* "$stage/portable/"
copy "$root/packaging/ReadMe.txt" "$stage/portable/ReadMe.txt"
(cd "$stage/portable" && cmake -E tar cf "$dist/Nivora-$version-portable.zip" --format=zip -- *)
ls -l "$dist"
