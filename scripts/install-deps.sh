#!/usr/bin/env bash
# Installs everything Tessaro needs to build and test on Debian 12, from Debian's own packages.
# Safe to run again: apt-get skips what is already installed.
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

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
