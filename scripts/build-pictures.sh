#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources (res/pictures) for the resource script:
# each picture as <name>-96.png, <name>-144.png and <name>-192.png (its size at 96 dpi, times
# 1.5 and 2), and icon.svg as nivora.ico with every size Windows asks for.
# Usage: build-pictures.sh <source folder> <output folder>
set -euo pipefail
src=$1
out=$2
mkdir -p "$out"
for svg in "$src"/*.svg; do
    name=$(basename "$svg" .svg)
    [ "$name" = icon ] && continue
    rsvg-convert -z 1 "$svg" -o "$out/$name-96.png"
    rsvg-convert -z 1.5 "$svg" -o "$out/$name-144.png"
    rsvg-convert -z 2 "$svg" -o "$out/$name-192.png"
done
sizes=(16 20 24 32 40 48 64 256)
pngs=()
for s in "${sizes[@]}"; do
    rsvg-convert -w "$s" -h "$s" "$src/icon.svg" -o "$out/icon-$s.png"
    pngs+=("$out/icon-$s.png")
done
# The 256-pixel image stays PNG-compressed inside the icon, as Windows expects.
convert "${pngs[@]}" "$out/nivora.ico"
