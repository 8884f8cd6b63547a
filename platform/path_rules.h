// Syntax checks on a path typed by the user, before any file system access.
//
// Windows refuses a colon anywhere but after a drive letter, and a set of characters that
// can never stand in a path; POSIX allows everything but NUL. The wildcards '?' and '*' are
// refused on both, since a path with them names no single file.
#pragma once

#include <string_view>

namespace tessaro::platform {

enum class PathStyle { windows, posix };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::posix;
#endif

enum class PathSyntax { ok, misplacedColon, empty, invalidCharacters };

// Checks in this order: colon placement, empty or blank, invalid characters.
PathSyntax checkPathSyntax(std::string_view path, PathStyle style = kNativePathStyle);

}  // namespace tessaro::platform
