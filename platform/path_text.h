// Paths made from UTF-8 text, and the UTF-8 text of a path.
//
// Inside Tessaro text is UTF-8, but std::filesystem::path reads a plain std::string in the
// system's narrow encoding: on Linux that is UTF-8, on Windows it is not (MinGW's library
// takes each byte for one character, MSVC's the ANSI code page). A path built from text, or
// text taken from a path, therefore goes through these two, which read and write UTF-8 on
// every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tessaro::platform {

std::filesystem::path pathFromUtf8(std::string_view text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace tessaro::platform
