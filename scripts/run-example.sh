#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled example: the setting
# table examples/settings.txt is imported (its cases looked up in examples/declaration.xml),
# one upload package is made per case with `tessaro-cli make`, and every package is then
# checked with `tessaro-cli check` as the insurer's side will read it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

cli=build/default/cli/tessaro-cli
out=build/example
rm -rf "$out" && mkdir -p "$out"

echo "== make: the cases of examples/settings.txt"
"$cli" make --dir "$out" --import examples/settings.txt | tee "$out/packages.txt"
echo "== check"
mapfile -t packages < "$out/packages.txt"
"$cli" check "${packages[@]}"
echo "${#packages[@]} packages written to $out/Upload/11309/ and checked: nothing to report."
