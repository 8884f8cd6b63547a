// Opening a file by path with the C library, on every platform.
//
// std::fopen takes a narrow string, which on Windows is the ANSI code page and cannot name
// every file; there the wide-character open is used. Seeking past 2 GiB needs the 64-bit
// call of each platform.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace tessaro::platform {

// Like std::fopen; nullptr with errno set on failure.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Moves to an absolute byte offset; false on failure (errno set).
bool seekFile(std::FILE* file, std::uint64_t offset);

}  // namespace tessaro::platform
