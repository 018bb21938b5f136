#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Nivora need.
# As root it installs what is missing; otherwise it prints the apt-get line.
set -euo pipefail
pkgs=(cmake make g++ libgtest-dev googletest g++-mingw-w64-x86-64-posix wine64 xvfb xauth
      fonts-wine imagemagick fp-utils librsvg2-bin fonts-dejavu-core nsis)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" = 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
    echo "Missing packages. Run as root:"
    echo "  apt-get install -y --no-install-recommends ${missing[*]}"
    exit 1
fi
