// Removing a working folder with everything below it.
#pragma once

#include <filesystem>

namespace tessaro::production {

// Removes `DirName` and all files and folders below it, read-only ones included, permanently
// and without asking (platform::removeTree). A link, below `DirName` or `DirName` itself, goes
// by itself and what it leads to stays. True when the folder is gone; false when it did not
// exist or could not be removed completely. Never throws.
bool DelTree(const std::filesystem::path& DirName) noexcept;

}  // namespace tessaro::production
