#!/usr/bin/env bash
# Renders the application icon (resources/pictures/zorvane.svg) to the PNG sizes of the
# hicolor icon theme that the package installs beside the scalable one. Needs rsvg-convert
# (librsvg2-bin). Run it after changing the drawing and commit the PNG files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
svg=$here/../../resources/pictures/zorvane.svg
for size in 16 22 24 32 48 64 128 256; do
  folder=$here/hicolor/${size}x${size}/apps
  mkdir -p "$folder"
  rsvg-convert --width "$size" --height "$size" --output "$folder/io.github.zorvane.Zorvane.png" "$svg"
done
