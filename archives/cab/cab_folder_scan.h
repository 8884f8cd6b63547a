// Listing a folder by a wildcard mask, the way the cabinet builder's AddFolder sees it.
//
// Masks follow the Windows rules users type: '*' matches any run of characters, '?' any one
// character, letters match regardless of ASCII case, and "*.*" matches every name (also one
// without a dot). Entries come back sorted by name without regard to ASCII case, the order
// NTFS lists a folder in, so a cabinet's file order does not depend on the file system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives::cab {

bool matchesMask(std::string_view name, std::string_view mask);

struct FolderEntry {
    std::string name;  // UTF-8
    bool isDirectory = false;
    bool isLink = false;  // a symbolic link, or on Windows a junction
};

// The entries of `folder` (empty: the current folder) whose names match `mask`, sorted;
// "." and ".." are not listed. An unreadable or missing folder lists nothing.
std::vector<FolderEntry> listFolder(const std::string& folder, std::string_view mask);

// Splits a path-and-mask text after its last separator (or drive colon on Windows):
// {"data/in/", "*.*"}.
std::pair<std::string, std::string> splitFolderAndMask(const std::string& sourcePath);

// The file-name part of a path text.
std::string fileNamePart(const std::string& path);

// The native path separator as text.
inline constexpr char kPathSeparator =
#ifdef _WIN32
    '\\';
#else
    '/';
#endif

}  // namespace tessaro::archives::cab
