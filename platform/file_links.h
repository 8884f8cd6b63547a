// Telling a link apart from what it leads to.
//
// A link here is a symbolic link, or on Windows a junction or any other reparse point that
// stands for another name (a "name surrogate": junctions, mount points, symbolic links of
// either kind). Other reparse points, such as the placeholders of a cloud-synced folder
// (OneDrive) or deduplicated files, hold their own data and count as the file or folder they
// are. Recursive walks ask this before they descend, so that a link never leads them out of
// the tree they walk, or round in a loop. std::filesystem cannot answer it on Windows: MinGW's
// library takes lstat for stat there, so is_symlink is false for every link.
#pragma once

#include <filesystem>

namespace tessaro::platform {

// True when `path` itself (not followed) is a link; false for anything else and for a path
// that does not exist. A dangling link is a link.
bool isLink(const std::filesystem::path& path);

}  // namespace tessaro::platform
