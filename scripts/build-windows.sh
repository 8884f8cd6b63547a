#!/usr/bin/env bash
# Builds Tessaro for 64-bit Windows on Debian 12: the libraries, tessaro-cli and the test
# programs, cross-compiled with mingw-w64 into build/windows (preset "windows").
#
# Debian ships no mingw build of bzip2, liblzma or WavPack, so their Debian source packages
# are fetched with `apt-get source` and cross-compiled as static libraries into
# build/windows-deps/prefix, GoogleTest likewise from Debian's googletest sources. The
# deb-src entry this needs lives in a private apt configuration under build/windows-deps/apt
# (own source list, own index lists, own cache): the system's apt setup is never touched.
# Every step is skipped when its result is already there, so running the script again only
# rebuilds what changed. Needs root or sudo for the package installation.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deps=$root/build/windows-deps
prefix=$deps/prefix
host=x86_64-w64-mingw32
jobs=$(nproc)

# ---- Debian packages: the cross compiler, Wine to run the results, zlib for the tests
packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64 binutils-mingw-w64-x86-64
  wine wine64 libz-mingw-w64-dev googletest
  cmake ninja-build make pkg-config dpkg-dev xz-utils bzip2 ca-certificates
)
source scripts/debian-packages.sh
install_packages "${packages[@]}"

export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
if command -v ccache >/dev/null; then launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
else launcher=(); fi

# ---- Source packages through a private apt configuration
# The Debian archive this machine already uses for binary packages of its release. apt's
# source configuration names it (read without the index lists, which a machine may have
# cleaned away after installing everything); a source that names the release by its suite
# ("stable") is recognised by the codename in its Release file, which an update of the
# system's sources into lists of our own fetches, leaving the system's lists alone.
debian_mirror() {
  local codename=$1 lists=$deps/apt/system-lists uri
  uri=$(apt-get indextargets --no-release-info --format '$(REPO_URI)' "Release: $codename" \
        "Identifier: Packages" "Component: main" | sort -u | head -n 1)
  if [ -z "$uri" ]; then
    mkdir -p "$lists/partial"
    local opts=(-q -o "Dir::State::Lists=$lists" -o "Dir::Cache=$deps/apt/cache" -o "APT::Sandbox::User=$(id -un)")
    apt-get "${opts[@]}" update >/dev/null
    uri=$(apt-get "${opts[@]}" indextargets --format '$(REPO_URI)' "Codename: $codename" "Identifier: Packages" \
          "Component: main" | sort -u | head -n 1)
  fi
  echo "$uri"
}

# Fetches the named Debian source packages that are not yet unpacked under build/windows-deps/src.
fetch_sources() {
  local apt=$deps/apt name wanted=()
  for name in "$@"; do [ -d "$deps/src/$name" ] || wanted+=("$name"); done
  [ "${#wanted[@]}" -eq 0 ] && return
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$deps/src"
  local codename uri
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  uri=$(debian_mirror "$codename")
  if [ -z "$uri" ]; then echo "no apt source for $codename main is configured" >&2; exit 1; fi
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $uri $codename main" >"$apt/sources.list"
  local opts=(-q -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=$(id -un)")
  apt-get "${opts[@]}" update >/dev/null
  local fetch=$deps/src/fetch
  rm -rf "$fetch" && mkdir -p "$fetch"
  (cd "$fetch" && apt-get "${opts[@]}" source "${wanted[@]}" >/dev/null)
  for name in "${wanted[@]}"; do
    rm -rf "${deps:?}/src/$name"
    mv "$(find "$fetch" -mindepth 1 -maxdepth 1 -type d -name "$name-*" | head -n 1)" "$deps/src/$name"
    # The source package's own files (.dsc, the tarballs) stay for the licence notes.
    mkdir -p "$deps/src/packages"
    find "$fetch" -maxdepth 1 -type f -name "${name}_*.dsc" -exec cp {} "$deps/src/packages/" \;
  done
  rm -rf "$fetch"
}

# ---- bzip2: the library's seven files, compiled directly (its Makefile builds programs too)
build_bzip2() {
  [ -f "$prefix/lib/libbz2.a" ] && return
  local src=$deps/src/bzip2 obj=$deps/build/bzip2
  rm -rf "$obj" && mkdir -p "$obj" "$prefix/lib" "$prefix/include"
  local f objects=()
  for f in blocksort huffman crctable randtable compress decompress bzlib; do
    "$CC" -O2 -c "$src/$f.c" -o "$obj/$f.o"
    objects+=("$obj/$f.o")
  done
  "$AR" rcs "$prefix/lib/libbz2.a" "${objects[@]}"
  cp "$src/bzlib.h" "$prefix/include/"
}

# ---- liblzma and libwavpack: their own configure scripts, library only
build_autotools() {
  local name=$1 marker=$2
  shift 2
  [ -f "$prefix/lib/$marker" ] && return
  local obj=$deps/build/$name
  rm -rf "$obj" && mkdir -p "$obj"
  (cd "$obj" && "$deps/src/$name/configure" --host=$host --prefix="$prefix" --disable-shared --enable-static \
      "$@" CFLAGS="-O2" >/dev/null && make -s -j"$jobs" >/dev/null && make -s install >/dev/null)
}

# ---- GoogleTest from Debian's sources, with the project's own toolchain file
build_googletest() {
  [ -f "$prefix/lib/libgtest.a" ] && return
  local obj=$deps/build/googletest
  rm -rf "$obj"
  cmake -S /usr/src/googletest -B "$obj" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTESSARO_WINDOWS_DEPS="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$obj" -j "$jobs" >/dev/null
  cmake --install "$obj" >/dev/null
}

# ---- Qt for the window: Debian's qt6-base source, the same version as the host tools
# (moc, uic, rcc from qt6-base-dev-tools, which the cross build runs), built as shared DLLs so
# that the user can replace Qt as its licence (LGPL 3) allows. Only what the window and its
# tests use is built: Core, Gui, Widgets, Test, the Windows platform plugin (DirectWrite
# fonts) and the Fusion and Windows styles; Qt's bundled third-party libraries (zlib, pcre2,
# harfbuzz, freetype, libpng, libjpeg, double-conversion) are linked into its DLLs. Debian's
# source leaves out the tablet header wintab.h, hence no tablet events; the platform plugin
# of this version needs OpenGL, which mingw-w64 provides. About 1,100 steps, some 30 minutes
# on 2 cores.
qt=$deps/qt
build_qt() {
  [ -f "$qt/lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake" ] && [ -f "$qt/plugins/platforms/qwindows.dll" ] && return
  local obj=$deps/build/qt
  rm -rf "$obj"
  local features=(sql network dbus concurrent printsupport vulkan icu tabletevent
                  system_zlib system_pcre2 system_harfbuzz
                  system_freetype system_png system_jpeg system_doubleconversion)
  local off=() f
  for f in "${features[@]}"; do off+=("-DFEATURE_$f=OFF"); done
  cmake -S "$deps/src/qt6-base" -B "$obj" -G Ninja "${launcher[@]}" \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
    -DCMAKE_C_COMPILER=$host-gcc-posix -DCMAKE_CXX_COMPILER=$host-g++-posix \
    -DCMAKE_RC_COMPILER=$host-windres -DCMAKE_FIND_ROOT_PATH=/usr/$host \
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt" -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_opengl=ON -DINPUT_opengl=desktop -DFEATURE_style_fusion=ON -DFEATURE_style_windows=ON \
    -DFEATURE_directwrite=ON -DFEATURE_testlib=ON "${off[@]}" >"$deps/qt-configure.log" 2>&1 ||
    { tail -n 30 "$deps/qt-configure.log"; exit 1; }
  cmake --build "$obj" -j "$jobs" >"$deps/qt-build.log" 2>&1 || { tail -n 30 "$deps/qt-build.log"; exit 1; }
  rm -rf "$qt"
  cmake --install "$obj" >/dev/null
}

fetch_sources bzip2 xz-utils wavpack
build_bzip2
build_autotools xz-utils liblzma.a --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo \
  --disable-lzma-links --disable-scripts --disable-doc --disable-nls
build_autotools wavpack libwavpack.a --disable-apps
build_googletest
fetch_sources qt6-base
build_qt

# ---- Tessaro itself
cmake --preset windows "${launcher[@]}" >/dev/null
cmake --build --preset windows
