#!/usr/bin/env bash
# Pictures the Windows window as a clerk sees it: the Windows build under Wine on a virtual
# X display, with Qt's real Windows platform plugin (no offscreen platform), at the display
# scalings clerks' desktops use. Windows scales by the screen's logical DPI, so each scaling
# is Wine's LogPixels setting (96 = 100 %, 120 = 125 %, 144 = 150 %) in a Wine prefix of its
# own, build/wine-screens, which the tests' prefix never sees.
#
# Usage: scripts/screenshot-windows.sh [FOLDER]   (default build/windows/screenshots)
# For each scaling S it writes into FOLDER:
#   window-S.png    the filled window drawn by the program (gui_screenshot.exe: the example
#                   imported, the packages made, the first case highlighted);
#   laptop-S.png    the whole 1366 x 768 screen with the window program itself (tessaro.exe)
#                   as it opens there, title bar and all, to show it fits.
# Needs the Windows build with the window (scripts/build-windows.sh) and xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-build/windows/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
screenshot=$root/build/windows/tests/gui/gui_screenshot.exe
window=$root/build/windows/app/tessaro.exe
for program in "$screenshot" "$window"; do
  [ -f "$program" ] || { echo "missing $program: run scripts/build-windows.sh first" >&2; exit 1; }
done

export WINEPREFIX=$root/build/wine-screens
export TZ=Asia/Taipei
wine=$root/scripts/wine-run.sh
"$wine" wineboot --init >/dev/null 2>&1
wineserver -w

# Runs a command on a fresh virtual screen of the given size. Wine's server and desktop
# process keep the display they started on, so they end with the screen.
on_screen() {
  local size=$1
  shift
  xvfb-run -a -s "-screen 0 ${size}x24 -dpi 96" "$@"
  wineserver -k 2>/dev/null || true
  wineserver -w
}

# The window program on a laptop screen: started in a folder of its own, pictured after it
# has drawn itself, then closed.
picture_laptop() {
  local picture=$1 folder
  folder=$(mktemp -d)
  cp "$window" "$folder/"
  (cd "$folder" && "$wine" tessaro.exe >/dev/null 2>&1 &
   sleep 12
   import -window root "$picture"
   wineserver -k 2>/dev/null || true)
  rm -rf "$folder"
}
export -f picture_laptop
export wine window

for dpi in 96 120 144; do
  scale=$((dpi * 100 / 96))
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
  on_screen 1920x1080 "$wine" "$screenshot" "$out/window-$scale.png" >/dev/null
  on_screen 1366x768 bash -c "picture_laptop '$out/laptop-$scale.png'"
  echo "scaling $scale %: $out/window-$scale.png, $out/laptop-$scale.png"
done
