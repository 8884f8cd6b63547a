#!/usr/bin/env bash
# Draws the user guide's pictures anew from the real window and makes the guide one HTML file
# with the pictures inside, for an installer to ship.
#
# The pictures (docs/guide/images/*.png) come from `gui_screenshot --guide`, which drives the
# window through the month's job on the bundled example on Qt's offscreen platform (no display
# needed), with the screen scripts/screenshot.sh uses; pngquant then keeps them small. pandoc
# converts docs/guide/使用說明.md.
#
# Usage: scripts/guide.sh [--windows] [OUTPUT.html]
#   --windows    draws the pictures in the clerks' Windows look: the Windows build's
#                gui_screenshot.exe under Wine, with Qt's real Windows platform on a virtual
#                1920 x 1080 screen (needs scripts/build-windows.sh first)
#   OUTPUT.html  the guide (default build/guide/使用說明.html)
# Environment:
#   TESSARO_SCREENSHOT  the command that draws the pictures, run as "$TESSARO_SCREENSHOT --guide
#                       FOLDER"; default: build/default/tests/gui/gui_screenshot, built first.
#                       For the Windows look use --windows instead.
#   QT_QPA_PLATFORM     default: the offscreen platform with tests/gui/screens/desktop.json
set -euo pipefail
cd "$(dirname "$0")/.."
windows=false
if [ "${1:-}" = --windows ]; then windows=true; shift; fi
output="${1:-build/guide/使用說明.html}"
guide=docs/guide/使用說明.md
images=docs/guide/images

# pandoc and pngquant from Debian, as scripts/install-deps.sh installs the rest.
source scripts/debian-packages.sh
install_packages pandoc pngquant

if $windows; then
  export QT_QPA_PLATFORM=windows
  screenshot=(xvfb-run -a "--server-args=-screen 0 1920x1080x24" scripts/wine-run.sh
              build/windows/tests/gui/gui_screenshot.exe)
elif [ -n "${TESSARO_SCREENSHOT:-}" ]; then
  read -r -a screenshot <<<"$TESSARO_SCREENSHOT"
else
  cmake --preset default >/dev/null
  cmake --build --preset default --target gui_screenshot
  screenshot=(build/default/tests/gui/gui_screenshot)
fi

# Drawn into a folder of their own first: a failed drawing leaves the committed pictures alone.
# The screen file is named relatively: Qt separates the platform's options with colons, so a
# path with a drive letter (under Wine) would not do.
drawn=$(mktemp -d)
trap 'rm -rf "$drawn"' EXIT
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen:configfile=tests/gui/screens/desktop.json}" \
  "${screenshot[@]}" --guide "$drawn"
# 256 colours keep the window's text as it is drawn, at a third of the size.
rm -f "$images"/*.png
mkdir -p "$images"
for picture in "$drawn"/*.png; do
  pngquant --speed 1 --strip --force --output "$images/$(basename "$picture")" 256 "$picture"
done
echo "pictures drawn in $images: $(du -ch "$images"/*.png | tail -1 | cut -f1)"

# pandoc 2.17 (Debian 12) knows --self-contained; later ones call it --embed-resources. The
# guide's first heading becomes the page's title (its metadata title), the others move up a level.
if pandoc --help | grep -q -- '--embed-resources'; then embed=(--embed-resources --standalone); else embed=(--self-contained); fi
mkdir -p "$(dirname "$output")"
pandoc "$guide" --from markdown+east_asian_line_breaks --to html5 "${embed[@]}" --resource-path=docs/guide \
  --css docs/guide/guide.css --shift-heading-level-by=-1 --toc --toc-depth=2 \
  --metadata toc-title="目錄" -V lang=zh-TW --output "$output"
echo "guide written to $output"
