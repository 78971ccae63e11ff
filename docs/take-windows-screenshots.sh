#!/usr/bin/env bash
# Takes the README's screenshots of the Windows window and its About box: zandrel.exe under Wine
# in a Wine virtual desktop on a virtual display, on the built-in engine (nothing registered),
# with a Chinese font for Wine to draw with (scripts/wine-chinese-font).
# Needs a windows-cross build (scripts/test-windows makes one) and the Debian packages wine,
# fonts-wine (Marlett, for the caption buttons), fonts-wqy-microhei, xvfb and imagemagick.
# Usage: xvfb-run -a -s "-screen 0 860x420x24" docs/take-windows-screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin="$root/build-windows/bin"
export WINEDEBUG=-all
WINEPREFIX=$(mktemp -d /tmp/zandrel-shots.XXXXXX)
export WINEPREFIX
fifo="$WINEPREFIX/steps"
trap 'exec 3>&- 2>/dev/null; timeout 30 wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT

timeout 180 wineboot -i >/dev/null 2>&1
timeout 120 wineserver -w
scripts/wine-chinese-font
# Wine draws the caption buttons with Marlett (Debian: fonts-wine).
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# Every window in one virtual desktop the size of the display.
cat >"$WINEPREFIX/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="860x420"
REG
timeout 60 wine reg import "$WINEPREFIX/desktop.reg" >/dev/null 2>&1
timeout 120 wineserver -w

mkdir -p "$WINEPREFIX/drive_c/drawings"
cp tests/fixtures/titleblock_r2018.dxf "$WINEPREFIX/drive_c/drawings/part.dxf"

# The driver stops at each "pause", says where the windows stand, and goes on at a line on its
# standard input: the shot is taken in between.
mkfifo "$fifo"
wine "$bin/zandrel-window-driver.exe" start pause click Command1 open 'C:\drawings\part.dxf' \
  progress pause click Command2 pause click CancelButton exit <"$fifo" >"$WINEPREFIX/driver.out" &
exec 3>"$fifo"

# Waits for the driver's Nth "at frmTolm" line and crops the display to the window named $2.
shot() {
  local nth=$1 type=$2 out=$3 line=""
  for _ in $(seq 600); do
    [ "$(grep -c '^at frmTolm' "$WINEPREFIX/driver.out" 2>/dev/null || true)" -ge "$nth" ] && break
    sleep 0.1
  done
  sleep 1  # let the window finish painting
  line=$(grep "^at $type " "$WINEPREFIX/driver.out" | tail -1)
  read -r _ _ x y w h <<<"$line"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
  echo >&3
}

shot 1 frmTolm docs/main-window-windows.png
shot 2 frmTolm docs/main-window-read-windows.png
shot 3 frmAbout docs/about-box-windows.png
wait
