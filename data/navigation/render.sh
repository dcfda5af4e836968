#!/usr/bin/env bash
# Makes the four navigation GIFs from their SVGs (librsvg2-bin renders,
# ImageMagick writes the GIF with a small palette). The GIFs are kept in the
# repository; run this after changing an SVG.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for name in ilk geri ileri son; do
  rsvg-convert "$name.svg" -o "$tmp/$name.png"
  /usr/bin/convert "$tmp/$name.png" -background white -alpha remove -strip +dither -colors 32 "$name.gif"
done
