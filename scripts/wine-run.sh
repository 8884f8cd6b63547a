#!/usr/bin/env bash
# Runs a Windows program under Wine, in the project's own Wine prefix (build/wine, created on
# first use) rather than the user's ~/.wine, with Wine's diagnostics off. Standard streams and
# the exit status are the program's. CMake uses it as the emulator of the Windows build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$here/build/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them, and Wine would offer to download them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The window's DLLs: Qt's, and the C++ runtime of the cross compiler that Qt and the window share.
qt_bin=$here/build/windows-deps/qt/bin
if [ -d "$qt_bin" ]; then
  runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
  winpthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
  dlls="Z:${qt_bin//\//\\};Z:${runtime//\//\\};Z:${winpthread//\//\\}"
  export WINEPATH="$dlls${WINEPATH:+;$WINEPATH}"
fi
exec wine "$@"
