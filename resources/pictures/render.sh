#!/usr/bin/env bash
# Renders the program's pictures (SVG drawings in this folder) to the PNG files that
# resources/app.qrc carries. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p png
for svg in *.svg; do
  convert -background none "$svg" "png/${svg%.svg}.png"
done
