#include "archives/zip/file_search.h"

#include "archives/folder_listing.h"
#include "archives/zip/name_mask.h"
#include "platform/file_attributes.h"
#include "platform/path_text.h"

#include <algorithm>

namespace tessaro::archives::zip {
namespace {

constexpr std::uint32_t kFilteredAttributes =
    platform::dos_attr::kHidden | platform::dos_attr::kSystem | platform::dos_attr::kDirectory;

struct Pattern {
    std::string folderPart;  // up to and including the last separator, as written
    std::string namePart;
};

Pattern splitPattern(const std::string& pattern) {
    const size_t sep = pattern.find_last_of("/\\");
    if (sep == std::string::npos) return {"", pattern};
    return {pattern.substr(0, sep + 1), pattern.substr(sep + 1)};
}

std::filesystem::path nativeFolder(std::string folderPart) {
#ifndef _WIN32
    std::replace(folderPart.begin(), folderPart.end(), '\\', '/');
#endif
    return folderPart.empty() ? std::filesystem::path(".") : platform::pathFromUtf8(folderPart);
}

void searchFolder(const std::filesystem::path& folder, const std::string& recordedFolder, const std::string& namePart,
                  std::uint32_t searchAttributes, bool recurse, std::vector<FoundFile>& found) {
    const auto list = listFolderInNameOrder(folder);
    for (const auto& item : list) {
        if (item.name == "." || item.name == "..") continue;
        const auto status = platform::queryFileStatus(item.path);
        if (!status) continue;
        if ((status->attributes & kFilteredAttributes & ~searchAttributes) != 0) continue;
        if (!nameComponentMatch(namePart, item.name)) continue;
        found.push_back({item.path, recordedFolder + item.name + (status->isDirectory() ? "\\" : ""),
                         status->isDirectory()});
    }
    if (!recurse) return;
    for (const auto& item : list) {
        if (!item.isDirectory || item.isLink) continue;  // a link could lead out of the tree or back into it
        searchFolder(item.path, recordedFolder + item.name + "\\", namePart, searchAttributes, recurse, found);
    }
}

}  // namespace

bool isAbsoluteMask(std::string_view mask) {
    if (mask.find("\\\\") != std::string_view::npos || mask.find(':') != std::string_view::npos) return true;
#ifndef _WIN32
    for (const auto& pattern : splitMask(mask))
        if (pattern.front() == '/') return true;
#endif
    return false;
}

std::vector<FoundFile> findFiles(std::string_view mask, std::uint32_t searchAttributes, bool recurse,
                                 const std::filesystem::path& baseDirectory) {
    std::vector<FoundFile> found;
    const bool absolute = isAbsoluteMask(mask);
    for (const auto& rawPattern : splitMask(mask)) {
        const Pattern pattern = splitPattern(rawPattern);
        if (pattern.namePart.empty()) continue;
        std::filesystem::path folder = nativeFolder(pattern.folderPart);
        if (!absolute && !folder.is_absolute() && !baseDirectory.empty()) folder = baseDirectory / folder;
        searchFolder(folder, pattern.folderPart, pattern.namePart, searchAttributes, recurse, found);
    }
    return found;
}

}  // namespace tessaro::archives::zip
