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
exec wine "$@"
