#!/usr/bin/env bash
# Installs everything Tessaro needs to build and test on Debian 12, from Debian's own packages.
# Safe to run again: only what is missing is installed.
set -euo pipefail

packages=(
  # build; clang with its sanitizer and libFuzzer runtimes for the sanitizer build and fuzzing
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libicu-dev libbz2-dev liblzma-dev libwavpack-dev
  # a Traditional-Chinese font for the window where Microsoft's fonts are not installed
  fonts-noto-cjk
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libdeflate-dev
  # independent peers the tests check our archives against
  unzip zip 7zip cabextract gcab libarchive-tools wavpack sox python3
)

source "$(dirname "$0")/debian-packages.sh"
install_packages "${packages[@]}"
