#!/usr/bin/env bash
# Tests the Windows installer and the portable copy under Wine, in a fresh Wine prefix
# (build/wine-install), with the whole run under one Xvfb display:
#   1. makes them (scripts/package-windows.sh) and reads back, with icoutils' wrestool and
#      icotool, the version information and icons of the installer and the programs;
#   2. compares the portable ZIP file's listing (7zz) with the distribution folder, looks for
#      the UTF-8 flag of names that are not ASCII (7zz), unzip -t;
#   3. shows the installer's first page and takes a screenshot (its texts are Chinese);
#   4. installs silently for the current user (/S /CurrentUser), compares every installed file
#      with the distribution folder, reads the uninstall entry with Wine's own `reg`, looks for
#      the Start-menu shortcuts, runs the installed tessaro-cli `make` on the bundled example in
#      the installation folder and `check` and `unzip -t` on its packages, starts the installed
#      window for a few seconds and takes a screenshot (when the window is shipped), installs
#      again over it (the old uninstaller runs first), then uninstalls with the entry's
#      QuietUninstallString and checks that no program file, shortcut or entry is left while the
#      working folders and the packages in Upload stay;
#   5. when Wine runs the installer as an administrator (as it does by default), installs
#      silently for all users (Program Files, HKLM) and uninstalls: the folder must be gone.
# Screenshots go to build/wine-install/*.png. Every failed check is named; the script ends with
# a summary, the times of its parts and the installer's size, and status 1 if anything failed.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD
trap 'echo "installer test: stopped by an unexpected failure at line $LINENO: $BASH_COMMAND"; exit 1' ERR

packages=(wine xvfb xauth imagemagick icoutils x11-utils unzip fonts-noto-cjk)
[ -x /usr/bin/7zz ] || packages+=(7zip)
source scripts/debian-packages.sh
install_packages "${packages[@]}"

# One X server for the whole run: Wine binds its windows to the display it first sees.
if [ -z "${TESSARO_UNDER_XVFB:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" env TESSARO_UNDER_XVFB=1 "$0" "$@"
fi

SECONDS=0
scripts/package-windows.sh
package_time=$SECONDS
version=$(sed -nE 's/^project\(Tessaro VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
title=$(sed -nE 's/.*kProgramTitle = "([^"]*)".*/\1/p' app/window/window_texts.h)
dist=$root/build/windows/dist/Tessaro
setup=$root/build/windows/Tessaro-$version-setup.exe
portable=$root/build/windows/Tessaro-$version-portable.zip
out=$root/build/wine-install
rm -rf "$out" && mkdir -p "$out"
failures=0
passed=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { passed=$((passed + 1)); }
check() { local what=$1; shift; if "$@"; then pass; else fail "$what"; fi; }
window=0
[ -f "$dist/tessaro.exe" ] && window=1

# ---- 1. Version information and icons, as a Windows reader sees them
echo "== version information and icons"
version_strings() {  # the UTF-16 strings of a program's version resource, one a line
  wrestool -x --raw --type=16 "$1" | python3 -c \
    'import sys; print("\n".join(s for s in sys.stdin.buffer.read().decode("utf-16-le", "replace").split("\0") if s.strip()))'
}
has_version() {  # FILE DESCRIPTION
  local strings
  strings=$(version_strings "$1")
  grep -qxF "Tessaro" <<<"$strings" && grep -qxF "$2" <<<"$strings" && grep -qxF "$version" <<<"$strings"
}
icon_sizes() {  # the sizes of a program's first icon group, e.g. "16 24 32 48 64 256"
  local group
  group=$(mktemp)
  wrestool -x --type=14 "$1" -o "$group" 2>/dev/null
  icotool -l "$group" | sed -nE 's/.*--width=([0-9]+).*/\1/p' | tr '\n' ' ' | sed 's/ $//'
  rm -f "$group"
}
check "tessaro-cli.exe: version information (Tessaro, 'Tessaro 命令列工具', $version)" \
  has_version "$dist/tessaro-cli.exe" "Tessaro 命令列工具"
[ "$(icon_sizes "$dist/tessaro-cli.exe")" = "16 24 32 48 64 256" ] && pass ||
  fail "tessaro-cli.exe: icon sizes '$(icon_sizes "$dist/tessaro-cli.exe")'"
if [ "$window" -eq 1 ]; then
  check "tessaro.exe: version information (Tessaro, 'Tessaro $title', $version)" has_version "$dist/tessaro.exe" "Tessaro $title"
  [ "$(icon_sizes "$dist/tessaro.exe")" = "16 24 32 48 64 256" ] && pass || fail "tessaro.exe: icon sizes"
fi
check "the installer: version information (Tessaro, 'Tessaro $title 安裝程式', $version)" \
  has_version "$setup" "Tessaro $title 安裝程式"
[ -n "$(icon_sizes "$setup")" ] && pass || fail "the installer has no icon"
for program in "$dist"/*.exe "$setup"; do
  echo "  $(basename "$program"): $(version_strings "$program" | grep -E '^(Tessaro .*|[0-9]+\.[0-9]+\.[0-9]+)$' | sort -u | tr '\n' ' ')"
done

# ---- 2. The portable copy
echo "== the portable copy"
(cd "$dist/.." && find Tessaro -type f | sort) >"$out/dist-files"
check "unzip -t refuses the portable ZIP file" unzip -tqq "$portable"
7zz l -ba -slt "$portable" | sed -n 's/^Path = //p' | while read -r name; do
  [ -d "$dist/../$name" ] || echo "$name"; done | sort >"$out/zip-files"
check "the portable ZIP file holds other files than the distribution folder (7zz)" cmp -s "$out/dist-files" "$out/zip-files"
# A name that is not ASCII (the guide's) must be flagged as UTF-8, else readers take it as
# code page 437.
unflagged=$(7zz l -ba -slt "$portable" | LC_ALL=C awk '/^Path = / { p = substr($0, 8) }
  /^Characteristics = / { if (p ~ /[\200-\377]/ && $0 !~ /UTF8/) print p }')
[ -z "$unflagged" ] && pass || fail "names in the portable ZIP file not flagged as UTF-8 (7zz): $unflagged"
echo "  $(wc -l <"$out/zip-files") files"

# ---- A fresh Wine prefix, one Wine server for the run
phase_start=$SECONDS
export WINEPREFIX=$out/prefix WINEDEBUG=-all TZ=Asia/Taipei
wine=$root/scripts/wine-run.sh
"$wine" wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
windows_path() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
# The clerks' Windows has Microsoft's Chinese fonts, which the installer's pages (新細明體) and
# the window ask for; Wine gets Noto Sans CJK TC in their place.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
  '"新細明體"="Noto Sans CJK TC"' '"PMingLiU"="Noto Sans CJK TC"' '"微軟正黑體"="Noto Sans CJK TC"' \
  '"Microsoft JhengHei"="Noto Sans CJK TC"' | iconv -f UTF-8 -t UTF-16 >"$out/fonts.reg"
"$wine" regedit /S "$(windows_path "$out/fonts.reg")"
windows_env() { "$wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
local_app_data=$(windows_env LOCALAPPDATA)
start_menu=$(unix_path "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Tessaro")
prefix_time=$((SECONDS - phase_start))

# Starts a program, waits up to 120 s for a window whose title holds TITLE (the X server's list
# of windows, xwininfo), gives it 3 s to draw itself and takes a screenshot of the display; the
# program must still run then (a crash ends it). Then it is ended.
screenshot() {  # NAME TITLE PROGRAM ARGUMENTS...
  local name=$1 title=$2 waited=0 shown=0
  shift 2
  "$wine" "$@" >"$out/$name.log" 2>&1 &
  local pid=$!
  while [ "$waited" -lt 120 ] && kill -0 "$pid" 2>/dev/null; do
    if xwininfo -root -tree 2>/dev/null | grep -qF "$title"; then shown=1; break; fi
    sleep 1
    waited=$((waited + 1))
  done
  sleep 3
  import -window root "$out/$name.png"
  xwininfo -root -tree >"$out/$name.windows" 2>&1 || true
  if [ "$shown" -eq 1 ]; then pass; echo "  its window came up after $waited s"
  else fail "$name: no window titled '$title' within $waited s"; fi
  if kill -0 "$pid" 2>/dev/null; then pass; else fail "$name: the program ended before its screenshot"; fi
  "$wine" taskkill /f /im "$(basename "${1//\\//}")" >/dev/null 2>&1 || true
  wait "$pid" 2>/dev/null || true
  echo "  screenshot: $out/$name.png"
}

# ---- 3. The installer's first page
phase_start=$SECONDS
echo "== the installer's first page"
screenshot installer-page "Tessaro $title 安裝" "$setup"

# ---- 4. Per-user installation
echo "== silent installation for the current user"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro'
"$wine" "$setup" /S /CurrentUser || fail "the installer (/S /CurrentUser) exited with status $?"
install_time=$((SECONDS - phase_start))
instdir_windows="$local_app_data\\Programs\\Tessaro"
instdir=$(unix_path "$instdir_windows")
echo "  installed in $instdir_windows"
same_files() {  # the installation folder holds the distribution's files, equal, and the uninstaller
  local f
  [ -f "$instdir/Uninstall.exe" ] || return 1
  while read -r f; do cmp -s "$dist/$f" "$instdir/$f" || return 1; done < <(cd "$dist" && find . -type f)
}
check "the installed files differ from the distribution folder" same_files
# A registry key as Wine's reg exports it (UTF-16, so that Chinese text comes out whole), and
# a value of the key last exported: a string's text, a DWORD's number.
reg_export() {  # KEY
  rm -f "$out/key.reg"
  "$wine" reg export "$1" "$(windows_path "$out/key.reg")" /y >/dev/null 2>&1 || true
}
reg_value() {  # NAME
  [ -f "$out/key.reg" ] || return 0
  python3 - "$out/key.reg" "$1" <<'EOF'
import re, sys
for line in open(sys.argv[1], encoding="utf-16").read().splitlines():
    m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
    if not m or re.sub(r"\\(.)", r"\1", m.group(1)) != sys.argv[2]:
        continue
    data = m.group(2)
    if data.startswith('"'):
        print(re.sub(r"\\(.)", r"\1", data[1:-1]))
    elif data.startswith("dword:"):
        print(int(data[6:], 16))
EOF
}
reg_export "$key"
for name in DisplayName DisplayVersion Publisher DisplayIcon InstallLocation UninstallString QuietUninstallString \
            EstimatedSize NoModify NoRepair; do
  echo "  $name = $(reg_value "$name")"
done
[ "$(reg_value DisplayName)" = "Tessaro $title" ] && pass || fail "DisplayName is '$(reg_value DisplayName)'"
[ "$(reg_value DisplayVersion)" = "$version" ] && pass || fail "DisplayVersion"
[ -n "$(reg_value Publisher)" ] && pass || fail "no Publisher"
[ "$(reg_value InstallLocation)" = "$instdir_windows" ] && pass || fail "InstallLocation is '$(reg_value InstallLocation)'"
[ "$(reg_value UninstallString)" = "\"$instdir_windows\\Uninstall.exe\"" ] && pass || fail "UninstallString"
quiet=$(reg_value QuietUninstallString)
[ "$quiet" = "\"$instdir_windows\\Uninstall.exe\" /S" ] && pass || fail "QuietUninstallString is '$quiet'"
icon=$(reg_value DisplayIcon)
[ -f "$(unix_path "${icon%,0}")" ] && pass || fail "DisplayIcon names no installed file: $icon"
size=$(reg_value EstimatedSize)
[ "$size" = "$(du -sk "$dist" | cut -f1)" ] && pass || fail "EstimatedSize is '$size', not the distribution's size in KiB"
[ "$(reg_value NoModify)" = 1 ] && [ "$(reg_value NoRepair)" = 1 ] && pass || fail "NoModify or NoRepair"
check "no uninstaller shortcut in $start_menu" test -f "$start_menu/解除安裝 Tessaro.lnk"
if [ "$window" -eq 1 ]; then check "no shortcut to the window" test -f "$start_menu/$title.lnk"; fi
if [ -f "$dist/使用說明.html" ]; then check "no shortcut to the guide" test -f "$start_menu/使用說明.lnk"; fi
(ls "$start_menu" 2>/dev/null || true) | sed 's/^/  shortcut: /'

# The clerk's work in the installation folder: the example's records and setting table, made
# into packages by the installed command line, each checked by it and by unzip.
phase_start=$SECONDS
echo "== the installed tessaro-cli on the example"
cp -r examples "$instdir/"
made=0
if (cd "$instdir" && "$wine" tessaro-cli.exe make --dir . --import examples/settings.txt >"$out/make.out" 2>"$out/make.err"); then
  mapfile -t made_packages < <(tr -d '\r' <"$out/make.out")
  made=${#made_packages[@]}
  [ "$made" -eq 3 ] && pass || fail "make wrote $made packages, not the example's 3"
  if (cd "$instdir" && "$wine" tessaro-cli.exe check "${made_packages[@]}" >"$out/check.out" 2>&1); then pass
  else fail "check finds problems in the packages: $(tr -d '\r' <"$out/check.out" | head -n 5)"; fi
  for package in "$instdir"/Upload/*/*.zip; do
    unzip -tqq "$package" >/dev/null || fail "unzip -t refuses $(basename "$package")"
  done
else
  fail "make on the example: $(tr -d '\r' <"$out/make.err" | tail -n 3)"
fi
echo "  $made packages in $( (ls -d "$instdir"/Upload/* 2>/dev/null || true) | sed "s|$instdir/||" | tr '\n' ' ')"
cli_time=$((SECONDS - phase_start))

phase_start=$SECONDS
if [ "$window" -eq 1 ]; then
  echo "== the installed window"
  screenshot window "$title" "$instdir_windows\\tessaro.exe"
else
  echo "== the installed window: not shipped (no Windows build of it), not tested"
fi
window_time=$((SECONDS - phase_start))

# Installing again over it: the old uninstaller removes the old files first; the clerk's
# packages stay.
phase_start=$SECONDS
echo "== installing again over it, then the uninstaller"
"$wine" "$setup" /S /CurrentUser || fail "the second installation exited with status $?"
check "after the second installation the files differ" same_files
count_packages() { { find "$instdir/Upload" -name '*.zip' 2>/dev/null || true; } | wc -l; }
check "the second installation took the packages in Upload away" test "$(count_packages)" -eq "$made"

# Uninstalls with the entry's QuietUninstallString. The uninstaller copies itself to the
# temporary folder and returns at once: waits until the entry is gone and the copy has ended.
uninstall() {  # KEY QUIET-UNINSTALL-STRING
  local program=${2%\" /S}
  "$wine" "${program#\"}" /S || fail "the uninstaller exited with status $?"
  local waited=0
  while "$wine" reg query "$1" >/dev/null 2>&1 || "$wine" tasklist 2>/dev/null | grep -qi '^Au_'; do
    [ "$waited" -ge 60 ] && { fail "the uninstaller has not finished after 60 s"; break; }
    sleep 1
    waited=$((waited + 1))
  done
}
uninstall "$key" "$quiet"
leftovers=$(cd "$dist" && find . -type f | while read -r f; do [ -e "$instdir/$f" ] && echo "$f"; done || true)
[ -z "$leftovers" ] && pass || fail "program files left after uninstalling: $leftovers"
check "Uninstall.exe is left" test ! -e "$instdir/Uninstall.exe"
for folder in platforms styles licenses; do check "the folder $folder is left" test ! -e "$instdir/$folder"; done
check "the Start-menu folder is left" test ! -e "$start_menu"
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry is left"; else pass; fi
check "the packages in Upload were removed" test "$(count_packages)" -eq "$made"
check "the example records were removed" test -f "$instdir/examples/settings.txt"
echo "  left in the installation folder: $( (ls "$instdir" 2>/dev/null || true) | tr '\n' ' ')"
uninstall_time=$((SECONDS - phase_start))

# ---- 5. All users, where Wine runs the installer with administrator rights
phase_start=$SECONDS
echo "== silent installation for all users"
"$wine" "$setup" /S || fail "the installer (/S) exited with status $?"
key_all='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro'
reg_export "$key_all"
location=$(reg_value InstallLocation)
if [ -z "$location" ]; then
  echo "  Wine ran the installer without administrator rights: it installed for the current user"
  reg_export "$key"
  quiet=$(reg_value QuietUninstallString)
  [ -n "$quiet" ] && uninstall "$key" "$quiet"
else
  program_files=$(windows_env ProgramW6432)
  [ "$location" = "$program_files\\Tessaro" ] && pass || fail "all users: installed in $location, not $program_files\\Tessaro"
  all_dir=$(unix_path "$location")
  check "all users: tessaro-cli.exe is not installed" test -f "$all_dir/tessaro-cli.exe"
  all_menu=$(unix_path "$(windows_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs\\Tessaro")
  check "all users: no uninstaller shortcut in $all_menu" test -f "$all_menu/解除安裝 Tessaro.lnk"
  "$wine" reg query "$key" >/dev/null 2>&1 && fail "all users: an entry under HKCU was written" || pass
  uninstall "$key_all" "$(reg_value QuietUninstallString)"
  check "all users: the installation folder is left after uninstalling" test ! -e "$all_dir"
  check "all users: the Start-menu folder is left" test ! -e "$all_menu"
  echo "  installed in $location and removed"
fi
all_users_time=$((SECONDS - phase_start))

echo "== installer $(stat -c %s "$setup") bytes, portable copy $(stat -c %s "$portable") bytes," \
     "$(find "$dist" -type f | wc -l) files ($(du -sk "$dist" | cut -f1) KiB)"
echo "== times: packaging ${package_time} s, Wine prefix ${prefix_time} s, installer page and installation" \
     "${install_time} s, command line ${cli_time} s, window ${window_time} s, second installation and" \
     "uninstallation ${uninstall_time} s, all users ${all_users_time} s; total ${SECONDS} s"
echo "installer test: $passed passed, $failures failed"
if [ "$failures" -ne 0 ]; then exit 1; fi
