#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
# Until the command line lands, the example is the smallest end-to-end check: a Big5 text
# file written, read back by its byte-order mark and split into lines.
./build/default/tests/feeinput_tests --gtest_filter='TextFileTest.SavesCrLfBig5WithoutMark:TextFileTest.ByteOrderMarks'
