#!/usr/bin/env bash
# The window's start-up time under Wine against the Linux window's, measured in the same run
# on the same virtual screen: from the program's start until its main window is mapped on the
# X display (xdotool waits for a visible window with the program's title), then the program is
# closed. Each program starts in an empty folder of its own, as on a clerk's first start.
#
# Usage: bench/window_startup.sh [RUNS]   (default 5; needs the default and windows builds)
# Prints every time and the medians, and the ratio Wine / Linux.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-5}
linux=$root/build/default/app/tessaro
windows=$root/build/windows/app/tessaro.exe
for program in "$linux" "$windows"; do [ -f "$program" ] || { echo "missing $program" >&2; exit 1; }; done
export WINEPREFIX=$root/build/wine-screens
title=電子病歷抽審檔案製作

# Milliseconds from the start of the command in "$@" until its window shows; the program is
# then ended.
time_to_window() {
  local start end pid
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  xdotool search --sync --onlyvisible --name "$title" >/dev/null
  end=$(date +%s%N)
  kill "$pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {
  local folder linux_times=() windows_times=() i
  folder=$(mktemp -d)
  trap 'rm -rf "$folder"' RETURN
  # Wine's prefix and server start once before the measurement, as they have on a desktop.
  "$root/scripts/wine-run.sh" wineboot --init >/dev/null 2>&1
  for ((i = 0; i < runs; i++)); do
    rm -rf "$folder/linux" "$folder/windows" && mkdir -p "$folder/linux" "$folder/windows"
    cp "$linux" "$folder/linux/" && cp "$windows" "$folder/windows/"
    linux_times+=("$(cd "$folder/linux" && time_to_window ./tessaro)")
    "$root/scripts/wine-run.sh" wineboot >/dev/null 2>&1  # the server running, as on Windows
    windows_times+=("$(cd "$folder/windows" && time_to_window "$root/scripts/wine-run.sh" tessaro.exe)")
  done
  local l w
  l=$(printf '%s\n' "${linux_times[@]}" | median)
  w=$(printf '%s\n' "${windows_times[@]}" | median)
  echo "Linux window: ${linux_times[*]} ms, median $l ms"
  echo "Windows window under Wine: ${windows_times[*]} ms, median $w ms"
  awk -v l="$l" -v w="$w" 'BEGIN { printf "Wine / Linux: %.2fx\n", w / l }'
}
# On a virtual screen of its own: the script runs itself again under xvfb-run.
if [ -z "${TESSARO_STARTUP_SCREEN:-}" ]; then
  TESSARO_STARTUP_SCREEN=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$runs"
fi
measure
