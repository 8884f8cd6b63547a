#!/usr/bin/env bash
# Makes the Windows installer and the portable copy from the Windows build in build/windows
# (running scripts/build-windows.sh first when tessaro-cli.exe is not there):
#   build/windows/dist/Tessaro/                  the distribution folder
#   build/windows/Tessaro-<version>-setup.exe    the installer (NSIS, packaging/windows/tessaro.nsi)
#   build/windows/Tessaro-<version>-portable.zip the distribution folder as a ZIP file
#
# The folder holds tessaro-cli.exe and, once Qt for Windows is built, the window tessaro.exe
# with the Qt libraries and plug-ins it loads; the DLLs are found by following the programs'
# and the plug-ins' imports (objdump) through Qt's bin folder and the mingw-w64 runtime: what
# is found there is shipped, what Wine provides as a Windows DLL (or an API set) is the
# system's, anything else stops the script. Then the guide (build/guide/使用說明.html from
# scripts/guide.sh, else made with pandoc from docs/guide/使用說明.md) and the licences of
# everything shipped.
# Without the window it warns and packs the command line alone; --window-required makes that
# an error. Needs root or sudo for the package installation.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

window_required=0
for argument in "$@"; do
  case $argument in
    --window-required) window_required=1 ;;
    *) echo "usage: $0 [--window-required]" >&2; exit 2 ;;
  esac
done

packages=(nsis python3 binutils-mingw-w64-x86-64 wine)
source scripts/debian-packages.sh
install_packages "${packages[@]}"

SECONDS=0
build=build/windows
deps=build/windows-deps
qt=$deps/qt
host=x86_64-w64-mingw32
[ -f "$build/cli/tessaro-cli.exe" ] || scripts/build-windows.sh

version=$(sed -nE 's/^project\(Tessaro VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
title=$(sed -nE 's/.*kProgramTitle = "([^"]*)".*/\1/p' app/window/window_texts.h)
[ -n "$version" ] && [ -n "$title" ] || { echo "no version in CMakeLists.txt or no title in window_texts.h" >&2; exit 1; }
dist=$build/dist/Tessaro
rm -rf "$build/dist" && mkdir -p "$dist"
notes=()

# ---- The programs
cp "$build/cli/tessaro-cli.exe" "$dist/"
window=0
if [ -f "$build/app/tessaro.exe" ]; then
  window=1
  cp "$build/app/tessaro.exe" "$dist/"
elif [ "$window_required" -eq 1 ]; then
  echo "the window $build/app/tessaro.exe is missing" >&2; exit 1
else
  echo "WARNING: the window $build/app/tessaro.exe is missing (Qt for Windows not built yet): packing the command line alone" >&2
  notes+=("without the window: $build/app/tessaro.exe is missing")
fi

# ---- Qt's plug-ins: the Windows platform and the styles, in the folders "platforms" and
# "styles" beside the program, where Qt looks for them. Without qt.conf Qt (a relocatable
# build) would look first in "plugins" beside the program's folder (%LOCALAPPDATA%\Programs\
# plugins, a folder any program of the user may make); qt.conf makes the program's folder the
# only place.
if [ "$window" -eq 1 ]; then
  mkdir -p "$dist/platforms" "$dist/styles"
  cp "$qt/plugins/platforms/qwindows.dll" "$dist/platforms/"
  cp "$qt"/plugins/styles/*.dll "$dist/styles/"
  printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\n' >"$dist/qt.conf"
fi

# ---- The DLLs the programs and plug-ins import, followed to the end
runtime_dir=$(dirname "$($host-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$qt/bin" "$runtime_dir" "/usr/$host/lib" "/usr/$host/bin")
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
[ -d "$wine_dlls" ] || { echo "no Wine DLL folder $wine_dlls to tell system DLLs by" >&2; exit 1; }
declare -A seen=()
system=()
queue=()
while IFS= read -r -d '' file; do queue+=("$file"); done < <(find "$dist" -type f \( -name '*.exe' -o -name '*.dll' \) -print0)
while [ "${#queue[@]}" -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r name; do
    key=${name,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    found=""
    for dir in "${search[@]}"; do
      [ -d "$dir" ] || continue
      found=$(find "$dir" -maxdepth 1 -iname "$name" -print -quit)
      [ -n "$found" ] && break
    done
    if [ -n "$found" ]; then
      cp "$found" "$dist/"
      queue+=("$dist/$(basename "$found")")
    elif [ -e "$wine_dlls/$key" ] || [[ $key == api-ms-win-* || $key == ext-ms-win-* ]]; then
      system+=("$key")  # an API set (api-ms-win-*) names no file: the system's loader maps it
    else
      echo "$(basename "$file") needs $name, which is neither in ${search[*]} nor a Windows DLL" >&2
      exit 1
    fi
  done < <($host-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
done
shipped_dlls=$(find "$dist" -maxdepth 1 -iname '*.dll' -printf '%f\n' | sort)
# Debug information and symbols stay behind: Debian's runtime DLLs and Qt carry them, which
# would be three quarters of the size.
find "$dist" -type f \( -name '*.exe' -o -name '*.dll' \) -exec $host-strip --strip-unneeded {} +

# ---- The guide
guide=""
if [ -f build/guide/使用說明.html ]; then
  cp build/guide/使用說明.html "$dist/"
  # Pictures and style sheets it names beside itself come along.
  { grep -oE '(src|href)="[^":#?]+"' build/guide/使用說明.html || true; } | sed -E 's/^[a-z]+="//; s/"$//' | sort -u |
    while read -r part; do
      if [ -f "build/guide/$part" ]; then mkdir -p "$dist/$(dirname "$part")"; cp "build/guide/$part" "$dist/$part"; fi
    done
  guide=使用說明.html
elif [ -f docs/guide/使用說明.md ] && command -v pandoc >/dev/null; then
  # As scripts/guide.sh makes it, with the committed pictures (that script draws them anew).
  if pandoc --help | grep -q -- '--embed-resources'; then embed=(--embed-resources --standalone); else embed=(--self-contained); fi
  pandoc docs/guide/使用說明.md --from markdown+east_asian_line_breaks --to html5 "${embed[@]}" \
    --resource-path=docs/guide --css docs/guide/guide.css --shift-heading-level-by=-1 --toc --toc-depth=2 \
    --metadata toc-title="目錄" -V lang=zh-TW --output "$dist/使用說明.html"
  guide=使用說明.html
  notes+=("the guide made from docs/guide/使用說明.md with the committed pictures")
else
  echo "NOTE: no guide (neither build/guide/使用說明.html nor docs/guide/使用說明.md): packed without it" >&2
  notes+=("without the guide")
fi

# ---- Licences of what is shipped, with CRLF line ends for Notepad
licenses=$dist/licenses
mkdir -p "$licenses"
cp "$deps/src/bzip2/LICENSE" "$licenses/bzip2.txt"
cp "$deps/src/xz-utils/COPYING" "$licenses/xz-utils.txt"
cp "$deps/src/wavpack/COPYING" "$licenses/wavpack.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$licenses/mingw-w64-runtime.txt"
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$licenses/gcc-runtime.txt"
cp /usr/share/common-licenses/GPL-3 "$licenses/GPL-3.txt"
dsc_version() { sed -n 's/^Version: //p' "$1" 2>/dev/null | head -n 1; }
{
  echo "Tessaro $version: the licences of the parts of others it contains"
  echo
  echo "bzip2 $(dsc_version "$deps"/src/packages/bzip2_*.dsc) (Debian source package bzip2), linked into both programs: bzip2.txt"
  echo "liblzma of xz-utils $(dsc_version "$deps"/src/packages/xz-utils_*.dsc) (Debian source package xz-utils), linked into both programs: xz-utils.txt"
  echo "WavPack $(dsc_version "$deps"/src/packages/wavpack_*.dsc) (Debian source package wavpack), linked into both programs: wavpack.txt"
  echo "The mingw-w64 runtime and winpthreads (Debian package mingw-w64-x86-64-dev): mingw-w64-runtime.txt"
  echo "The GCC runtime libraries libgcc and libstdc++ (Debian package gcc-mingw-w64-x86-64-posix-runtime),"
  echo "  under the GPL 3 with the GCC Runtime Library Exception: gcc-runtime.txt, GPL-3.txt"
} >"$licenses/README.txt"
if [ "$window" -eq 1 ]; then
  qt_src=$deps/src/qt6-base
  if [ -f "$qt_src/LICENSES/LGPL-3.0-only.txt" ]; then cp "$qt_src/LICENSES/LGPL-3.0-only.txt" "$licenses/LGPL-3.txt"
  else cp /usr/share/common-licenses/LGPL-3 "$licenses/LGPL-3.txt"; fi
  [ -f "$qt_src/debian/copyright" ] && cp "$qt_src/debian/copyright" "$licenses/qt6-base-copyright.txt"
  qt_version=$(dsc_version "$(ls "$deps"/src/packages/qt6-base_*.dsc 2>/dev/null | head -n 1)" || true)
  if [ -z "$qt_version" ] && [ -f "$qt_src/debian/changelog" ]; then
    qt_version=$(sed -nE '1s/^[^ ]+ \(([^)]+)\).*/\1/p' "$qt_src/debian/changelog")
  fi
  {
    echo "Qt ${qt_version:-6} (Qt6Core, Qt6Gui, Qt6Widgets and the plug-ins in platforms and styles),"
    echo "  under the GNU LGPL 3: LGPL-3.txt with GPL-3.txt; the parts of others Qt contains: qt6-base-copyright.txt."
    echo "  Qt's source is Debian's source package qt6-base, version ${qt_version:-(unknown)}: apt-get source qt6-base=${qt_version:-VERSION}"
    echo "  The Qt libraries are separate DLLs, and may be replaced by other builds of the same Qt version."
  } >>"$licenses/README.txt"
fi
find "$licenses" -name '*.txt' -exec sed -i 's/\r*$/\r/' {} +

# ---- The installer: the file lists for install and uninstall, then makensis
work=$build/installer
rm -rf "$work" && mkdir -p "$work"
if find "$dist" | grep -q '[$"`]'; then echo "a file name in $dist holds \$, \" or \`, which NSIS would read as its own" >&2; exit 1; fi
windows_path() { local p=${1#./}; p=${p//\//\\}; if [ "$p" = . ]; then echo '$INSTDIR'; else echo "\$INSTDIR\\$p"; fi; }
{
  (cd "$dist" && find . -type d | sort) | while read -r folder; do
    echo "SetOutPath \"$(windows_path "$folder")\""
    (cd "$dist" && find "$folder" -mindepth 1 -maxdepth 1 -type f | sort) | while read -r file; do
      echo "File \"$root/$dist/${file#./}\""
    done
  done
} >"$work/files.nsh"
{
  (cd "$dist" && find . -type f | sort) | while read -r file; do echo "Delete \"$(windows_path "$file")\""; done
  (cd "$dist" && find . -mindepth 1 -type d | awk -F/ '{ print NF "\t" $0 }' | sort -rn | cut -f2-) |
    while read -r folder; do echo "RMDir \"$(windows_path "$folder")\""; done
} >"$work/unfiles.nsh"
size_kb=$(du -sk "$dist" | cut -f1)
setup=Tessaro-$version-setup.exe
{
  echo "!define VERSION \"$version\""
  echo "!define TITLE \"$title\""
  echo "!define OUTFILE \"$root/$build/$setup\""
  echo "!define ICON \"$root/app/window/resources/tessaro.ico\""
  echo "!define FILES \"$root/$work/files.nsh\""
  echo "!define UNFILES \"$root/$work/unfiles.nsh\""
  echo "!define SIZE_KB $size_kb"
  [ "$window" -eq 1 ] && echo "!define WINDOW"
  [ -n "$guide" ] && echo "!define GUIDE \"$guide\""
} >"$work/config.nsh"
rm -f "$build/$setup"
LC_ALL=C.UTF-8 makensis -V2 -WX -INPUTCHARSET UTF8 -DCONFIG="$root/$work/config.nsh" packaging/windows/tessaro.nsi

# ---- The portable copy: the same folder in a ZIP file. Python's zipfile stores a name that is
# not ASCII in UTF-8 with the format's flag for it (general-purpose bit 11); Info-ZIP's zip
# left the guide's name unflagged, for a reader to take as code page 437.
portable=Tessaro-$version-portable.zip
rm -f "$build/$portable"
(cd "$build/dist" && python3 - "../$portable" Tessaro <<'EOF'
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for folder, folders, files in os.walk(sys.argv[2]):
        folders.sort()
        archive.write(folder)
        for name in sorted(files):
            archive.write(os.path.join(folder, name))
EOF
)

echo "== $dist: $(find "$dist" -type f | wc -l) files, $size_kb KiB"
echo "  DLLs shipped: $(echo $shipped_dlls)"
echo "  Windows DLLs used: $(printf '%s\n' "${system[@]}" | sort | tr '\n' ' ')"
echo "== $build/$setup: $(stat -c %s "$build/$setup") bytes"
echo "== $build/$portable: $(stat -c %s "$build/$portable") bytes"
for note in "${notes[@]}"; do echo "  note: $note"; done
echo "Windows packages made in $SECONDS s"
