#!/usr/bin/env bash
# Takes the README's screenshots of the window and the About box on a virtual display, with a
# small window manager so that the title bar and icon show. Needs the Debian packages xvfb,
# openbox, xdotool and imagemagick, and a build in build/ (or the folder given as $1).
# Usage: xvfb-run -a -s "-screen 0 860x420x24" docs/take-screenshots.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
export LANG=zh_CN.UTF-8  # the fonts a Chinese desktop picks
work="$(mktemp -d)"
openbox >/dev/null 2>&1 &
manager=$!
trap 'kill "$manager"; rm -rf "$work"' EXIT
sleep 1

visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }
# Waits for a new visible window of process $1 other than those in $2; prints its id.
new_window() {
  for _ in $(seq 50); do
    for w in $(visible_windows "$1"); do
      grep -qx "$w" <<<"$2" || { echo "$w"; return; }
    done
    sleep 0.2
  done
  echo "no new window" >&2
  exit 1
}

"$build/bin/zandrel" &
program=$!
window=$(new_window "$program" "")
xdotool windowmove "$window" 20 20
sleep 1
import -frame -window "$window" docs/main-window.png

# Read a template: Command1, type the drawing's path into the dialog, Enter.
cp tests/fixtures/titleblock_r2018.dxf "$work/part.dxf"
xdotool mousemove --window "$window" 121 213 click 1
dialog=$(new_window "$program" "$window")
sleep 1
xdotool type --window "$dialog" --delay 20 "$work/part.dxf"
xdotool key --window "$dialog" Return
sleep 1
import -frame -window "$window" docs/main-window-read.png

# The About box: Command2.
xdotool mousemove --window "$window" 444 213 click 1
about=$(new_window "$program" "$window")
xdotool windowmove "$about" 580 60
sleep 1
import -window root -crop 258x123+570+50 docs/about-box.png
kill "$program"
