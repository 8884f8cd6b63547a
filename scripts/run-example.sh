#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled example: the case
# 04/123 is looked up in the example fee declaration, its record files are packed into a
# cabinet, and the cabinet goes into a ZIP package, which is then listed and checked.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

cli=build/default/cli/tessaro-cli
out=build/example
rm -rf "$out" && mkdir -p "$out"

echo "== lookup of case 04/123 in examples/declaration.xml"
"$cli" lookup --fee-xml examples/declaration.xml 04 123
echo "== cabinet of examples/records/04-123"
"$cli" cab "$out/EMR.CAB" examples/records/04-123
"$cli" list "$out/EMR.CAB"
echo "== package"
"$cli" zip "$out/package.zip" "$out/EMR.CAB" examples/declaration.xml
"$cli" list "$out/package.zip"
echo "== round trip"
"$cli" extract "$out/package.zip" "$out/extracted"
cmp "$out/extracted/EMR.CAB" "$out/EMR.CAB" && echo "package written to $out/package.zip and read back intact"
