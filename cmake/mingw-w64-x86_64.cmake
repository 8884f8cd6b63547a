# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX thread model, so that
# std::thread and std::mutex work), producing programs that need nothing Windows lacks.
#
# The libraries Debian does not ship for mingw (bzip2, liblzma, WavPack, GoogleTest) are built
# by scripts/build-windows.sh into TESSARO_WINDOWS_DEPS; zlib (tests only) comes from Debian's
# libz-mingw-w64-dev. Tests run under Wine through the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSARO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSARO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSARO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSARO_MINGW_TRIPLET}-windres)

# Where the cross-built libraries live; the preset passes it, the default suits the preset.
if(NOT TESSARO_WINDOWS_DEPS)
  set(TESSARO_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix")
endif()
get_filename_component(TESSARO_WINDOWS_DEPS "${TESSARO_WINDOWS_DEPS}" ABSOLUTE)
set(TESSARO_WINDOWS_DEPS "${TESSARO_WINDOWS_DEPS}" CACHE PATH "Prefix of the cross-built libraries")

# Qt for the window, built as DLLs by scripts/build-windows.sh beside the other libraries; its
# build tools (moc, uic, rcc) are the build machine's own of the same version.
get_filename_component(TESSARO_WINDOWS_QT "${TESSARO_WINDOWS_DEPS}/../qt" ABSOLUTE)
set(QT_HOST_PATH /usr CACHE PATH "Qt's host tools")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Qt's host tools' CMake files")

set(CMAKE_FIND_ROOT_PATH /usr/${TESSARO_MINGW_TRIPLET} ${TESSARO_WINDOWS_DEPS} ${TESSARO_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static archives only: an import library (.dll.a) would make the program need a DLL beside it.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)

# pkg-config must see the cross-built .pc files and never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${TESSARO_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# One file per program: the C and C++ runtimes and winpthread linked in. The window and its
# tests undo this in their folders: they share the C++ runtime DLLs with Qt's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
