// Wildcard masks over names, as both ZIP components select files and entries.
//
// A mask is a list of patterns separated by ";". Patterns compare without regard to the
// case of ASCII letters: "*" matches any run of characters, "?" exactly one character,
// anything else itself. Separators are normalised to "\" before comparing, so "/" and "\"
// are the same in masks and names.
#pragma once

#include "archives/name_matching.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives::zip {

// The patterns of a mask, each trimmed of surrounding blanks; empty patterns dropped.
std::vector<std::string> splitMask(std::string_view mask);

// `text` with every "/" turned into "\".
std::string backslashed(std::string_view text);

// Length of a leading drive prefix ("C:" plus the separator after it) or network share
// prefix ("\\server\share" plus the separator after it) of a backslashed path; 0 when none.
size_t drivePrefixLength(std::string_view path);

// Does the entry named `entryName` (a folder entry's trailing separator removed or not)
// match `mask`? A pattern with a folder portion must match the entry's folder portion too.
bool entryMatchesMask(std::string_view mask, std::string_view entryName);

}  // namespace tessaro::archives::zip
