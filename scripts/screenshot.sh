#!/usr/bin/env bash
# Makes a picture of the window with a filled case list and attachment list, on Qt's offscreen
# platform (no display needed): the bundled example's setting table imported (its fee
# declaration and record files), the packages made, the first case selected.
#
# Usage: scripts/screenshot.sh [OUTPUT.png [SCALE [RUNNING.png]]]
#   OUTPUT.png   the picture (default docs/window.png)
#   SCALE        a display scaling factor such as 1.25 or 1.5 (default 1)
#   RUNNING.png  also a picture taken as the production run ends: progress shown, controls off
set -euo pipefail
cd "$(dirname "$0")/.."
output="${1:-docs/window.png}"
scale="${2:-1}"
running=("${@:3:1}")

cmake --preset default >/dev/null
cmake --build --preset default --target gui_screenshot
# A 1920 x 1080 screen (the offscreen platform's own is 800 x 800), so the window has its full
# size at every scaling up to 1.5.
QT_QPA_PLATFORM="offscreen:configfile=$PWD/tests/gui/screens/desktop.json" QT_SCALE_FACTOR="$scale" \
    build/default/tests/gui/gui_screenshot "$output" "${running[@]}"
echo "window pictured in $output"
