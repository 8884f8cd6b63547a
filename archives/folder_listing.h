// The entries of one folder in NTFS-like name order (see name_matching.h), so the files an
// archive takes from a folder come in the same order on every file system.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessaro::archives {

struct ListedEntry {
    std::string name;  // UTF-8
    std::filesystem::path path;
    bool isDirectory = false;  // links followed
    bool isLink = false;       // a symbolic link, or on Windows a junction (platform/file_links.h)
};

// "." and ".." are not listed; an unreadable or missing folder lists nothing.
std::vector<ListedEntry> listFolderInNameOrder(const std::filesystem::path& folder);

}  // namespace tessaro::archives
