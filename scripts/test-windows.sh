#!/usr/bin/env bash
# Proves that the Windows build works and writes the same bytes as the Linux one:
#   1. builds both (scripts/build-windows.sh, the default preset);
#   2. runs the Windows test programs under Wine (tests that need the Linux peer tools skip
#      themselves there; their names and reasons are printed), and replays the fuzz targets'
#      seeds and findings through the Windows parsers;
#   3. runs the Linux and the Windows command lines side by side on the same inputs (cab, zip,
#      list, extract of the test archives, make on the example) and compares exit statuses,
#      standard output and every output file byte for byte;
#   4. has unzip, 7zz and cabextract read a package the Windows build wrote with Big5 names
#      and a read-only file;
#   5. checks that the console's own code page comes back after tessaro-cli.
# Both sides run with the same time zone, and the inputs get fixed file times, since ZIP and
# cabinet records hold local DOS times. Every check that fails is named, and the script ends
# with a summary and status 1; a step that fails unexpectedly is named with its line.
# Needs root or sudo for the package installation.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD
trap 'echo "Windows build: stopped by an unexpected failure at line $LINENO: $BASH_COMMAND"; exit 1' ERR

SECONDS=0
scripts/build-windows.sh
windows_build_time=$SECONDS
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
linux_build_time=$((SECONDS - windows_build_time))

phase_start=$SECONDS
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
# A program passes when it exits with 0, prints GoogleTest's closing summary and names no
# failed test. A crash is caught by the missing summary (Wine's exit status after a crash is
# not reliable: often 0), and the end of the log is shown instead of failed tests.
echo "== Windows test programs under Wine"
ran_total=0
skipped_total=0
for program in build/windows/tests/*_tests.exe; do
  name=$(basename "$program" .exe)
  log=build/windows/tests/$name.log
  exit_status=0
  (cd build/windows/tests && "$root/$wine" "$name.exe" >"$root/$log" 2>&1) || exit_status=$?
  sed -i 's/\r$//' "$log"  # the test programs write Windows line ends
  summary=$(grep -E '^\[==========\] .* ran' "$log" | sed 's/.*\] //' || true)
  failed=$(grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u || true)
  if [ "$exit_status" -eq 0 ] && [ -n "$summary" ] && [ -z "$failed" ]; then status=passed
  else status=FAILED; failures=$((failures + 1)); fi
  echo "$name: $status (${summary:-no summary: the program ended before its tests finished})"
  ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran.*/\1/p' "$log" | tail -n 1)
  skipped=$(sed -nE 's/^\[  SKIPPED \] ([0-9]+) tests?, listed below:.*/\1/p' "$log" | tail -n 1)
  ran_total=$((ran_total + ${ran:-0}))
  skipped_total=$((skipped_total + ${skipped:-0}))
  # Each skipped test with the reason it gave.
  awk '/: Skipped$/ { getline reason; pending = reason }
       /^\[  SKIPPED \] [A-Za-z]/ && !/listed below/ && pending != "" {
         sub(/ \([0-9]+ ms\)$/, ""); print "  skipped " $4 ": " pending; pending = "" }' "$log"
  if [ "$status" = passed ]; then continue; fi
  if [ -n "$failed" ]; then
    sed 's/^/  /' <<<"$failed"
  else
    echo "  no test reported a failure: the program itself failed (exit status $exit_status)"
    # The test it was running, and Wine's report of a crash, else the end of the log.
    { grep -E '^\[ RUN      \]' "$log" | tail -n 1 || true
      grep -m 2 -E '^(wine: |Unhandled exception)' "$log" || tail -n 5 "$log"; } | sed 's/^/    /'
  fi
done
echo "  $ran_total tests ran, $skipped_total of them skipped"

# The window's Qt Test classes on Qt's offscreen platform, one class at a time as CTest runs
# them on Linux. Qt on Windows makes hidden message windows even there, so Wine needs an X
# display (a virtual one); Qt Test writes its report to a file, since a Windows program's
# console output does not come through xvfb-run. A class passes when it exits with 0 and
# the report's totals name no failure.
gui=build/windows/tests/gui
if [ -f "$gui/gui_tests.exe" ]; then
  echo "== the window's tests under Wine"
  for test_class in CaseListTest AttachmentListTest PanelTest FlowTest QtDialogsTest PlacementTest; do
    screen=desktop scale=1
    [ "$test_class" = PlacementTest ] && screen=laptop scale=1.25
    report=$test_class.txt
    rm -f "$gui/$report"
    exit_status=0
    (cd "$gui" && QT_QPA_PLATFORM="offscreen:configfile=$screen-screen.json" QT_SCALE_FACTOR=$scale \
       timeout 600 xvfb-run -a "$root/$wine" gui_tests.exe "$test_class" -o "$report,txt" >/dev/null 2>&1) ||
      exit_status=$?
    totals=$( (tr -d '\r' <"$gui/$report" 2>/dev/null || true) | grep -E '^Totals: ' | tail -n 1 || true)
    if [ "$exit_status" -eq 0 ] && [[ "$totals" =~ ", 0 failed," ]]; then echo "gui.$test_class: passed (${totals#Totals: })"
    else
      fail "gui.$test_class under Wine (exit status $exit_status): ${totals:-no totals}"
      (tr -d '\r' <"$gui/$report" 2>/dev/null || true) | grep -E -A3 '^FAIL!' | head -n 8 | sed 's/^/    /' || true
    fi
  done
else
  fail "the Windows build has no window (build/windows-deps/qt missing?)"
fi

# The fuzz targets' seeds and saved findings through the Windows parsers. A replay passes
# when it exits with 0 and reports every input (a target's failed check aborts before that).
echo "== Fuzz inputs replayed under Wine"
for program in build/windows/fuzz/*_fuzz.exe; do
  target=$(basename "$program" _fuzz.exe)
  inputs=("fuzz/corpus/$target")
  [ -d "tests/data/fuzz/$target" ] && inputs+=("tests/data/fuzz/$target")
  expected=$(find "${inputs[@]}" -maxdepth 1 -type f | wc -l)
  exit_status=0
  output=$("$wine" "$program" "${inputs[@]}" 2>&1 | tr -d '\r') || exit_status=$?
  if [ "$exit_status" -eq 0 ] && grep -qx "$expected inputs replayed" <<<"$output"; then
    echo "fuzz.$target: passed ($expected inputs)"
  else
    fail "fuzz.$target under Wine (exit status $exit_status, $expected inputs): $(tail -n 3 <<<"$output")"
  fi
done
wine_tests_time=$((SECONDS - phase_start))
phase_start=$SECONDS

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
# Names code page 950 cannot hold (é, and 𠀀 beyond the BMP), and a dot-file beside a record.
mkdir -p "$compare/in/names" "$compare/in/dots"
printf 'café\n' >"$compare/in/names/café.txt"
printf 'extension B\n' >"$compare/in/names/𠀀.txt"
printf 'dot\n' >"$compare/in/dots/.settings"
printf 'record\n' >"$compare/in/dots/record.txt"
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
touch -c -d '2024-10-31 09:08:07' "$compare"/{linux,windows}/{EMR.CAB,病歷.CAB}
side_by_side zip zip 0123456789_1131031_001.zip EMR.CAB 病歷.CAB ../in/declaration.xml ../in/病歷/唯讀.pdf
side_by_side list-zip list 0123456789_1131031_001.zip
side_by_side list-cab list 病歷.CAB
side_by_side extract-own extract 0123456789_1131031_001.zip own
# The cabinet builder refuses a name code page 950 cannot hold (the folder is given with its
# separator, else each side would join it to the names with its own); the ZIP writer stores
# such names in UTF-8. Both sides leave a dot-file out of a cabinet. It is not given to zip:
# that records it hidden on POSIX, where the dot is what hides a file, and with its own
# attributes on Windows, where a dot hides nothing, so the records differ by design.
side_by_side cab-names cab names.CAB ../in/names/
side_by_side zip-names zip names.zip ../in/names/café.txt ../in/names/𠀀.txt
side_by_side list-names list names.zip
side_by_side extract-names extract names.zip names
side_by_side cab-dots cab dots.CAB ../in/dots
touch -c -d '2024-10-31 09:08:07' "$compare"/{linux,windows}/dots.CAB
side_by_side list-dots list dots.CAB
for archive in tests/data/zip/*.zip; do
  side_by_side "extract-$(basename "$archive" .zip)" extract "$root/$archive" "x-$(basename "$archive" .zip)"
done
# The example production on both sides. Packages hold today's date and the times their
# cabinets were written, a moment apart; so the packages are unpacked and what they hold (the
# cabinets, made from records with fixed times, and the documents) is compared byte for byte.
# On the Linux side the working folder EMR holds a link to a folder of the user's: emptying
# EMR must leave that folder whole. Not on the Windows side: Wine can neither make nor remove
# a junction (a Linux link shows as one), so EMR could not be emptied and the run would
# rightly stop.
for side in linux windows; do
  mkdir -p "$compare/make-$side/EMR" "$compare/make-$side/keep"
  cp -r examples "$compare/make-$side/"
  find "$compare/make-$side/examples" -exec touch -h -d '2024-10-31 09:08:07' {} +
  printf 'not part of any package\n' >"$compare/make-$side/keep/own.txt"
  if [ "$side" = linux ]; then ln -s ../keep "$compare/make-$side/EMR/link"; fi
done
(cd "$compare/make-linux" && "$linux_cli" make --dir . --import examples/settings.txt >make.out 2>make.err; echo $? >make.status) || true
(cd "$compare/make-windows" && "$root/$wine" "$windows_cli" make --dir . --import examples/settings.txt >make.out 2>make.err
 echo $? >make.status) || true
for side in linux windows; do sed -i -e 's|.*[/\\]||' "$compare/make-$side/make.out"; done  # package names only
# The closing message names the output folder, a path of each platform's own.
# So does the record, named after the second the run started.
for side in linux windows; do
  sed -i -E -e 's#(放在).*Upload[/\\]([0-9]+)[/\\]#\1<dir>/Upload/\2/#' \
    -e 's#(製作紀錄:).*Records[/\\]([0-9]+)[/\\][0-9]{8}-[0-9]{6}\.csv#\1<dir>/Records/\2/<time>.csv#' "$compare/make-$side/make.err"
done
for part in status out err; do
  cmp -s "$compare/make-linux/make.$part" "$compare/make-windows/make.$part" || fail "make: $part differs"
done
for side in linux windows; do
  [ -f "$compare/make-$side/keep/own.txt" ] || fail "make ($side): emptying EMR deleted what a link in it leads to"
done
packages=0
while read -r package; do
  for side in linux windows; do
    found=$(find "$compare/make-$side/Upload" -name "$package" 2>/dev/null | head -n 1 || true)
    if [ -z "$found" ]; then fail "make: the $side side wrote no $package"; continue; fi
    "$linux_cli" extract "$found" "$compare/unpacked-$side/$package" >/dev/null ||
      fail "make: the $side side's $package does not extract"
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
echo "  $(wc -l <"$compare/linux.facts") files compared, $(grep -c read-only "$compare/linux.facts" || true) of them read-only"

# The example made through the window on both sides, driven as a clerk drives it (the
# setting table imported, "製作電子抽審檔" pressed) by gui_screenshot. The cabinets' entries
# carry the times the example's files were copied and the packages' entries the times the
# cabinets were written, a moment apart on the two sides; everything else must be the same:
# each document byte for byte, each cabinet's entries (names, sizes, CRCs, attributes) and
# the files they unpack to, each package's entry names and attributes.
if [ -f build/windows/tests/gui/gui_screenshot.exe ]; then
  echo "== the example made through the window on both sides"
  window_compare=$compare/window
  rm -rf "$window_compare" && mkdir -p "$window_compare"
  (cd build/default/tests/gui && QT_QPA_PLATFORM=offscreen:configfile=desktop-screen.json \
     ./gui_screenshot --folder "$root/$window_compare/linux" "$root/$window_compare/linux.png" >/dev/null 2>&1) ||
    fail "the Linux window did not make the example's packages"
  (cd build/windows/tests/gui && QT_QPA_PLATFORM=offscreen:configfile=desktop-screen.json \
     timeout 600 xvfb-run -a "$root/$wine" gui_screenshot.exe --folder "$root/$window_compare/windows" "$root/$window_compare/windows.png" >/dev/null 2>&1) ||
    fail "the Windows window did not make the example's packages"
  # What a package holds, without the times: entry names and attributes, each document's
  # bytes, each cabinet's entries and the files it unpacks to.
  describe_package() {
    local package=$1 into=$2 entry
    mkdir -p "$into"
    "$linux_cli" list "$package" | cut -f1,7 >"$into/entries"
    (cd "$into" && unzip -qq "$package")
    for entry in "$into"/*.CAB; do
      "$linux_cli" list "$entry" | cut -f1-5,7 >"$entry.entries"
      cabextract -q -d "$entry.files" "$entry" >/dev/null
      rm "$entry"
    done
  }
  window_packages=0
  for package in "$window_compare"/linux/Upload/*/*.zip; do
    [ -e "$package" ] || continue
    name=${package#"$window_compare/linux/"}
    if [ ! -f "$window_compare/windows/$name" ]; then fail "the Windows window wrote no $name"; continue; fi
    describe_package "$root/$package" "$window_compare/linux-held/$name"
    describe_package "$root/$window_compare/windows/$name" "$window_compare/windows-held/$name"
    window_packages=$((window_packages + 1))
  done
  diff -r "$window_compare/linux-held" "$window_compare/windows-held" >/dev/null ||
    fail "the windows' packages differ: diff -r $window_compare/linux-held $window_compare/windows-held"
  [ "$window_packages" -eq 3 ] || fail "the Linux window made $window_packages packages, not the example's 3"
  echo "  $window_packages packages, the same apart from file times"
fi

# ---- 4. The peers read what the Windows build wrote
echo "== peers on the Windows package"
package=$compare/windows/0123456789_1131031_001.zip
unzip -tqq "$package" >/dev/null || fail "unzip -t refuses the Windows package"
7zz t -bd "$package" >/dev/null || fail "7zz t refuses the Windows package"
for cabinet in "$compare/windows/EMR.CAB" "$compare/windows/病歷.CAB" "$compare/windows/own/病歷.CAB"; do
  cabextract -t "$cabinet" >/dev/null || fail "cabextract -t refuses $cabinet"
done
(unzip -Z1 "$package" || true) | sed 's/^/  entry: /'
# 7-Zip reads the names from the Unicode Path record (café.txt) and the UTF-8 flag (𠀀.txt);
# unzip 6.0 garbles a UTF-8 name beyond the BMP.
names=$( (7zz l -ba -slt "$compare/windows/names.zip" 2>/dev/null || true) | sed -n 's/^Path = //p' | tr '\n' ' ')
[ "$names" = "café.txt 𠀀.txt " ] || fail "7zz reads other names from the Windows names.zip: $names"

# ---- 5. The console's own code page after tessaro-cli
# The clerk's console shows other programs' Big5 output only while it is at code page 950:
# tessaro-cli switches it to UTF-8 and must switch it back, after a success, an error and a
# wrong command line. Wine gives a program a console only on a terminal, hence `script`; its
# `chcp` shows its own setting, so console_code_page.exe reads the console's.
echo "== the console's code page after tessaro-cli"
probe='tests\console_code_page.exe'
chain="chcp 950 >NUL & $probe & cli\tessaro-cli.exe --help >NUL & $probe"
chain+=" & cli\tessaro-cli.exe list missing.zip >NUL 2>&1 & $probe & cli\tessaro-cli.exe >NUL 2>&1 & $probe"
pages=$(cd build/windows && script -qec "$root/$wine cmd /c \"$chain\"" /dev/null </dev/null |
        sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r' | sed -n 's/^console-output-code-page://p' | tr '\n' ' ' || true)
echo "  before, after --help, after an error, after a wrong command line: ${pages:-no answer}"
[ "$pages" = "950 950 950 950 " ] || fail "tessaro-cli leaves the console at another code page than the one it found"

compare_time=$((SECONDS - phase_start))
echo "== times: Windows build ${windows_build_time} s, Linux build ${linux_build_time} s," \
     "Wine prefix and tests ${wine_tests_time} s, comparisons ${compare_time} s"
if [ "$failures" -eq 0 ]; then echo "Windows build: all checks passed"; else echo "Windows build: $failures checks failed"; exit 1; fi
