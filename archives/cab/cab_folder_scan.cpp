#include "archives/cab/cab_folder_scan.h"

#include "archives/folder_listing.h"
#include "archives/name_matching.h"
#include "platform/path_text.h"

#include <filesystem>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}

}  // namespace

bool matchesMask(std::string_view name, std::string_view mask) {
    return !mask.empty() && nameComponentMatch(mask, name);
}

std::vector<FolderEntry> listFolder(const std::string& folder, std::string_view mask) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    const fs::path dir = folder.empty() ? fs::current_path(ec) : platform::pathFromUtf8(folder);
    if (ec) return entries;
    for (ListedEntry& entry : listFolderInNameOrder(dir))
        if (matchesMask(entry.name, mask)) entries.push_back({std::move(entry.name), entry.isDirectory, entry.isLink});
    return entries;
}

std::pair<std::string, std::string> splitFolderAndMask(const std::string& sourcePath) {
    size_t cut = sourcePath.size();
    while (cut > 0 && !isSeparator(sourcePath[cut - 1])) --cut;
    return {sourcePath.substr(0, cut), sourcePath.substr(cut)};
}

std::string fileNamePart(const std::string& path) { return splitFolderAndMask(path).second; }

}  // namespace tessaro::archives::cab
