#!/usr/bin/env bash
# Proves that the Windows build works and writes the same bytes as the Linux one:
#   1. builds both (scripts/build-windows.sh, the default preset);
#   2. runs the Windows test programs under Wine (tests that need the Linux peer tools skip
#      themselves there; their names and reasons are printed);
#   3. runs the Linux and the Windows command lines side by side on the same inputs (cab, zip,
#      list, extract of the test archives, make on the example) and compares exit statuses,
#      standard output and every output file byte for byte;
#   4. has unzip, 7zz and cabextract read a package the Windows build wrote with Big5 names
#      and a read-only file.
# Both sides run with the same time zone, and the inputs get fixed file times, since ZIP and
# cabinet records hold local DOS times. Needs root or sudo for the package installation.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/build-windows.sh
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

export TZ=Asia/Taipei
export WINEPREFIX="$root/build/wine"
export WINEDEBUG=-all
# The Wine prefix first (made on first use), then one Wine server for the whole run, ended
# with the script (Wine's start-up is the slow part).
scripts/wine-run.sh wineboot --init >/dev/null 2>&1
wineserver -w
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine=scripts/wine-run.sh
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ---- 2. The test programs under Wine
echo "== Windows test programs under Wine"
for program in build/windows/tests/*_tests.exe; do
  log=build/windows/tests/$(basename "$program" .exe).log
  if (cd build/windows/tests && "$root/$wine" "$(basename "$program")" >"$root/$log" 2>&1); then status=passed
  else status=FAILED; failures=$((failures + 1)); fi
  sed -i 's/\r$//' "$log"  # the test programs write Windows line ends
  echo "$(basename "$program"): $status ($(grep -E '^\[==========\] .* ran' "$log" | sed 's/.*\] //'))"
  # Each skipped test with the reason it gave.
  awk '/: Skipped$/ { getline reason; pending = reason }
       /^\[  SKIPPED \] [A-Za-z]/ && !/listed below/ && pending != "" {
         sub(/ \([0-9]+ ms\)$/, ""); print "  skipped " $4 ": " pending; pending = "" }' "$log"
  [ "$status" = passed ] || grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u | sed 's/^/  /'
done

# ---- 3. Both command lines on the same inputs
echo "== Linux and Windows command lines side by side"
compare=build/windows-compare
rm -rf "$compare" && mkdir -p "$compare/in"
started=$root/$compare/started
touch "$started"
cp -r examples/records "$compare/in/records"
cp examples/declaration.xml "$compare/in/"
# Big5 names and a read-only file, as the clerks' record folders hold them.
mkdir -p "$compare/in/病歷"
printf '%s\n' "檢驗報告 第一頁" >"$compare/in/病歷/檢驗報告.txt"
head -c 300000 /dev/urandom >"$compare/in/病歷/影像.DCM"
printf 'read-only record\r\n' >"$compare/in/病歷/唯讀.pdf"
find "$compare/in" -exec touch -h -d '2024-10-31 09:08:07' {} +
chmod a-w "$compare/in/病歷/唯讀.pdf"

linux_cli=$root/build/default/cli/tessaro-cli
windows_cli=$root/build/windows/cli/tessaro-cli.exe
# Runs one command on both sides, each in its own folder below $compare (relative paths, so
# that messages name files alike), and compares exit statuses, standard output and error.
side_by_side() {
  local name=$1
  shift
  mkdir -p "$compare/linux" "$compare/windows"
  (cd "$compare/linux" && "$linux_cli" "$@" >"$name.out" 2>"$name.err"; echo $? >"$name.status") || true
  (cd "$compare/windows" && "$root/$wine" "$windows_cli" "$@" >"$name.out" 2>"$name.err"; echo $? >"$name.status") || true
  for part in status out err; do
    cmp -s "$compare/linux/$name.$part" "$compare/windows/$name.$part" || fail "$name: $part differs"
  done
}
side_by_side cab-records cab EMR.CAB ../in/records/04-123
side_by_side cab-big5 cab 病歷.CAB ../in/病歷
# The cabinets were just written, a moment apart on the two sides; the package records their
# times, so both get the inputs' fixed time.
touch -d '2024-10-31 09:08:07' "$compare"/{linux,windows}/{EMR.CAB,病歷.CAB}
side_by_side zip zip 0123456789_1131031_001.zip EMR.CAB 病歷.CAB ../in/declaration.xml ../in/病歷/唯讀.pdf
side_by_side list-zip list 0123456789_1131031_001.zip
side_by_side list-cab list 病歷.CAB
side_by_side extract-own extract 0123456789_1131031_001.zip own
for archive in tests/data/zip/*.zip; do
  side_by_side "extract-$(basename "$archive" .zip)" extract "$root/$archive" "x-$(basename "$archive" .zip)"
done
# The example production on both sides. Packages hold today's date and the times their
# cabinets were written, a moment apart; so the packages are unpacked and what they hold (the
# cabinets, made from records with fixed times, and the documents) is compared byte for byte.
for side in linux windows; do
  mkdir -p "$compare/make-$side"
  cp -r examples "$compare/make-$side/"
  find "$compare/make-$side/examples" -exec touch -h -d '2024-10-31 09:08:07' {} +
done
(cd "$compare/make-linux" && "$linux_cli" make --dir . --import examples/settings.txt >make.out 2>make.err; echo $? >make.status) || true
(cd "$compare/make-windows" && "$root/$wine" "$windows_cli" make --dir . --import examples/settings.txt >make.out 2>make.err
 echo $? >make.status) || true
for side in linux windows; do sed -i -e 's|.*[/\\]||' "$compare/make-$side/make.out"; done  # package names only
# The closing message names the output folder, a path of each platform's own.
for side in linux windows; do sed -i -E 's#(放在).*Upload[/\\]([0-9]+)[/\\]#\1<dir>/Upload/\2/#' "$compare/make-$side/make.err"; done
for part in status out err; do
  cmp -s "$compare/make-linux/make.$part" "$compare/make-windows/make.$part" || fail "make: $part differs"
done
packages=0
while read -r package; do
  for side in linux windows; do
    "$linux_cli" extract "$(find "$compare/make-$side/Upload" -name "$package")" "$compare/unpacked-$side/$package" >/dev/null
  done
  packages=$((packages + 1))
done <"$compare/make-linux/make.out"
diff -r "$compare/unpacked-linux" "$compare/unpacked-windows" >/dev/null || fail "make: the packages hold different files"
echo "  make: $packages packages, their cabinets and documents identical"
[ "$packages" -gt 0 ] || fail "make wrote no package"

# Every file either side wrote, byte for byte, with its time and read-only state (Wine gives
# .exe files execute bits, which Windows does not have; only the write bits count).
facts() {
  # A file written during the run (made here, or extracted from an entry without a valid
  # date) has no time to compare.
  (cd "$1" && find . -type f ! -name '*.out' ! -name '*.err' ! -name '*.status' \
      \( -newer "$started" -printf '%p - - %M\n' -o -printf '%p %TY-%Tm-%Td %TH:%TM:%.2TS %M\n' \) |
    awk '{ $NF = ($NF ~ /w/) ? "writable" : "read-only"; print }' | sort)
}
if ! diff -r "$compare/linux" "$compare/windows" >"$compare/diff.txt" 2>&1; then
  fail "the output trees differ:"; head -20 "$compare/diff.txt"
fi
facts "$compare/linux" >"$compare/linux.facts"
facts "$compare/windows" >"$compare/windows.facts"
if ! cmp -s "$compare/linux.facts" "$compare/windows.facts"; then
  fail "file times or read-only states differ:"; diff "$compare/linux.facts" "$compare/windows.facts" | head -20 || true
fi
echo "  $(wc -l <"$compare/linux.facts") files compared, $(grep -c read-only "$compare/linux.facts") of them read-only"

# ---- 4. The peers read what the Windows build wrote
echo "== peers on the Windows package"
package=$compare/windows/0123456789_1131031_001.zip
unzip -tqq "$package" >/dev/null || fail "unzip -t refuses the Windows package"
7zz t -bd "$package" >/dev/null || fail "7zz t refuses the Windows package"
for cabinet in "$compare/windows/EMR.CAB" "$compare/windows/病歷.CAB" "$compare/windows/own/病歷.CAB"; do
  cabextract -t "$cabinet" >/dev/null || fail "cabextract -t refuses $cabinet"
done
unzip -Z1 "$package" | sed 's/^/  entry: /'

if [ "$failures" -eq 0 ]; then echo "Windows build: all checks passed"; else echo "Windows build: $failures checks failed"; exit 1; fi
