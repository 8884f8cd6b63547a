// Wildcard masks and name order, as the archive components select and list files.
//
// Masks follow the Windows rules users type: "*" matches any run of characters, "?" exactly
// one character (a whole UTF-8 sequence), ASCII letters match regardless of case, and a last
// component of "*" or "*.*" takes every non-empty name, with or without a dot. Names are
// ordered by their ASCII-upper-cased bytes, the order NTFS lists a folder in, so archives
// do not depend on the order a file system happens to return.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::archives {

// ASCII letters upper-cased, everything else kept.
std::string asciiUpper(std::string_view text);

// Matches `name` against one wildcard `pattern`, ASCII letters without regard to case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Matches a last path component: "*" and "*.*" take every non-empty name.
bool nameComponentMatch(std::string_view pattern, std::string_view name);

// NTFS-like order: by ASCII-upper-cased bytes; names equal but for case by their bytes.
bool lessIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace tessaro::archives
