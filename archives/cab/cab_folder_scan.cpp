#include "archives/cab/cab_folder_scan.h"

#include <algorithm>
#include <filesystem>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

// Iterative glob match with one backtrack point for the last '*'.
bool globMatch(std::string_view name, std::string_view mask) {
    size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || upperAscii(mask[m]) == upperAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    const auto cmp = [](char x, char y) {
        return static_cast<unsigned char>(upperAscii(x)) < static_cast<unsigned char>(upperAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), cmp)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), cmp)) return false;
    return a < b;
}

}  // namespace

bool matchesMask(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    if (mask == "*.*" || mask == "*") return true;
    return globMatch(name, mask);
}

std::vector<FolderEntry> listFolder(const std::string& folder, std::string_view mask) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    const fs::path dir = folder.empty() ? fs::current_path(ec) : fs::path(folder);
    if (ec) return entries;
    for (auto it = fs::directory_iterator(dir, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!matchesMask(name, mask)) continue;
        std::error_code statError;
        const bool isDirectory = it->is_directory(statError);
        const bool isSymlink = it->is_symlink(statError);
        entries.push_back({std::move(name), isDirectory, isSymlink});
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return lessIgnoringCase(a.name, b.name); });
    return entries;
}

std::pair<std::string, std::string> splitFolderAndMask(const std::string& sourcePath) {
    size_t cut = sourcePath.size();
    while (cut > 0 && !isSeparator(sourcePath[cut - 1])) --cut;
    return {sourcePath.substr(0, cut), sourcePath.substr(cut)};
}

std::string fileNamePart(const std::string& path) { return splitFolderAndMask(path).second; }

}  // namespace tessaro::archives::cab
