#!/usr/bin/env bash
# Takes the pictures of docs/: the main window on the full example machine in a light desktop
# palette (docs/screenshot.png, shown in the README) and in a dark one
# (docs/screenshots/main-dark.png), and the S.M.A.R.T. window on the example machines in both
# (docs/screenshots/smart-MACHINE-PALETTE.png). The program runs on a virtual X display
# (Xvfb); windows are captured with ImageMagick, the S.M.A.R.T. window is opened by clicking its
# toolbar button with xdotool. Builds the program first when needed.
#   scripts/screenshot.sh [BUILD_DIR]
#
# The dark palette is the desktop's, as a KDE session hands it to every Qt program: the script
# writes a dark colour scheme into a private kdeglobals and announces a KDE session. Zorvane is
# not told about it in any other way; it follows whatever palette the desktop gives it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/install-deps.sh" --tests
if [ ! -x "$build/src/zorvane" ]; then
  "$here/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi

display=:${SCREENSHOT_DISPLAY:-97}
wait_seconds=${SCREENSHOT_WAIT:-4}
work=$(mktemp -d)
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
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

# Breeze Dark, the dark colour scheme of KDE Plasma, in the form Qt's KDE platform theme reads.
write_dark_scheme() {
  cat >"$1/kdeglobals" <<'EOF'
[General]
ColorScheme=BreezeDark

[Colors:Window]
BackgroundNormal=49,54,59
BackgroundAlternate=49,54,59
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177
ForegroundLink=41,128,185
ForegroundVisited=127,140,141

[Colors:View]
BackgroundNormal=35,38,41
BackgroundAlternate=49,54,59
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177
ForegroundLink=41,128,185
ForegroundVisited=127,140,141

[Colors:Button]
BackgroundNormal=49,54,59
BackgroundAlternate=59,64,69
ForegroundNormal=239,240,241
ForegroundInactive=161,169,177

[Colors:Selection]
BackgroundNormal=61,174,233
BackgroundAlternate=29,153,243
ForegroundNormal=252,252,252
ForegroundInactive=161,169,177

[Colors:Tooltip]
BackgroundNormal=49,54,59
ForegroundNormal=239,240,241
EOF
}

# start_program MACHINE PALETTE: runs zorvane on the example machine, in a fresh private
# configuration, with the desktop palette PALETTE (light: Qt's own; dark: the KDE scheme).
start_program() {
  local machine=$1 palette=$2
  rm -rf "$work/config" && mkdir -p "$work/config"
  local desktop=()
  if [ "$palette" = dark ]; then
    write_dark_scheme "$work/config"
    desktop=(XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 KDE_FULL_SESSION=true)
  fi
  # A fixed locale and a private configuration folder, so that the picture is the same on
  # every machine.
  env -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u KDE_SESSION_VERSION -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" HOME="$work" "${desktop[@]}" \
    ZORVANE_MACHINE="$here/examples/machines/$machine.json" "$build/src/zorvane" &
  app=$!
  sleep "$wait_seconds"
  kill -0 "$app" 2>/dev/null || { echo "screenshot: zorvane ended early" >&2; exit 1; }
}

stop_program() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=
}

capture() {  # capture WINDOW_NAME FILE
  local id
  id=$(DISPLAY="$display" xdotool search --onlyvisible --name "^$1\$" | head -n 1)
  [ -n "$id" ] || { echo "screenshot: no window \"$1\"" >&2; exit 1; }
  import -display "$display" -window "$id" "$2"
  echo "wrote $2"
}

# The S.M.A.R.T. toolbar button: the toolbar runs down the main window's left edge, one
# button per command; the SMART button sits 470 pixels in and 45 down at the 96 dpi of the
# virtual display.
open_smart_window() {
  local id x y
  id=$(DISPLAY="$display" xdotool search --onlyvisible --name '^Zorvane$' | head -n 1)
  eval "$(DISPLAY="$display" xdotool getwindowgeometry --shell "$id")"
  x=$((X + ${SMART_BUTTON_X:-470}))
  y=$((Y + ${SMART_BUTTON_Y:-45}))
  DISPLAY="$display" xdotool mousemove "$x" "$y" click 1
  sleep 2
}

out="$here/docs/screenshots"
mkdir -p "$out"
for palette in light dark; do
  start_program full "$palette"
  if [ "$palette" = light ]; then
    capture Zorvane "$here/docs/screenshot.png"
  else
    capture Zorvane "$out/main-$palette.png"
  fi
  stop_program
  for machine in full disks-healthy disks-failing; do
    start_program "$machine" "$palette"
    open_smart_window
    capture SMART "$out/smart-$machine-$palette.png"
    stop_program
  done
done
