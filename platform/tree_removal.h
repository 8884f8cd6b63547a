// Removing a file, or a folder with everything below it, without ever following a link.
//
// The working folders are emptied this way before every import and production run, so a link
// inside them (a symbolic link, or on Windows a junction made with `mklink /J EMR\link C:\keep`)
// must go by itself: what it leads to is the user's and stays untouched. Read-only entries go
// too, as they do in the Windows shell's removal: a folder its owner may not write would keep
// its entries, so it is made writable first, and Windows refuses to delete a read-only file or
// folder, so it loses that attribute.
#pragma once

#include <filesystem>

namespace tessaro::platform {

// Removes `path`: a link (not what it leads to), a file, or a folder with everything below it
// (links below it likewise). True when nothing is left at `path`; false when nothing was there
// or something could not be removed. Never throws.
bool removeTree(const std::filesystem::path& path) noexcept;

}  // namespace tessaro::platform
