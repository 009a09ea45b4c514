#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window on the full example machine, shown on a virtual
# X display (Xvfb) and captured with ImageMagick. Builds the program first when needed.
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/install-deps.sh" --tests
if [ ! -x "$build/src/zorvane" ]; then
  "$here/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi

display=:${SCREENSHOT_DISPLAY:-97}
work=$(mktemp -d)
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  [ -S "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done

# A fixed locale and a private configuration folder, so that the picture is the same on
# every machine.
env -u WAYLAND_DISPLAY DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 \
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
  ZORVANE_MACHINE="$here/examples/machines/full.json" "$build/src/zorvane" &
app=$!
sleep "${SCREENSHOT_WAIT:-4}"
kill -0 "$app" 2>/dev/null || { echo "screenshot: zorvane ended early" >&2; exit 1; }

# No window manager runs on the virtual display: the window is the only picture on a black
# root window, so trimming the black border leaves exactly the window.
import -display "$display" -window root "$work/root.png"
convert "$work/root.png" -trim +repage "$here/docs/screenshot.png"
echo "wrote $here/docs/screenshot.png"
