#!/usr/bin/env bash
# Renders the program's pictures (SVG drawings in this folder) to the PNG files that
# resources/app.qrc carries. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p png
for svg in *.svg; do
  [ "$svg" = strip.svg ] && continue
  convert -background none "$svg" "png/${svg%.svg}.png"
done
# The strip's gradient (strip.svg shows the design), drawn directly: ImageMagick's own SVG
# renderer leaves gradients black.
convert -size 27x1250 gradient:'#9ab6ea-#0f2a6e' -rotate -90 \
  -fill '#f0c040' -draw 'rectangle 0,25 1249,26' png/strip.png
