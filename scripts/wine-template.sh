#!/usr/bin/env bash
# Keeps one ready-made Wine prefix in a cache folder and prints its path. It is made once (by
# wine-prefix.sh) and kept for as long as the Wine installation and wine-prefix.sh stay the same;
# callers copy it (with-wine.sh) rather than use it. Several callers at once wait for the one
# that makes it.
# Usage: scripts/wine-template.sh CACHE_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
# Wine updates a prefix whose time stamp differs from its wine.inf's: such a prefix is not reused.
key=$( (/usr/lib/wine/wine64 --version; stat -c %Y /usr/share/wine/wine.inf
        cat "$here/wine-prefix.sh") | sha256sum | cut -c1-16)
template="$cache/prefix-$key"
exec 9>"$cache/lock"
flock 9
if [ ! -d "$template" ]; then
    rm -rf "$cache"/prefix-* "$cache"/making.*
    making=$(mktemp -d "$cache/making.XXXXXX")
    # Made off any display: the same prefix whoever asks, and no window on the user's screen.
    env -u DISPLAY "$here/wine-prefix.sh" "$making/pfx" >&2 9>&-
    mv "$making/pfx" "$template"
    rmdir "$making"
fi
echo "$template"
