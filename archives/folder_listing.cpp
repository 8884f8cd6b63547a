#include "archives/folder_listing.h"

#include "archives/name_matching.h"
#include "platform/file_links.h"
#include "platform/path_text.h"

#include <algorithm>

namespace tessaro::archives {

std::vector<ListedEntry> listFolderInNameOrder(const std::filesystem::path& folder) {
    std::vector<ListedEntry> entries;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        std::error_code statError;
        const bool isDirectory = it->is_directory(statError);
        entries.push_back({platform::utf8FromPath(it->path().filename()), it->path(), isDirectory,
                           platform::isLink(it->path())});
    }
    std::sort(entries.begin(), entries.end(),
              [](const ListedEntry& a, const ListedEntry& b) { return lessIgnoringAsciiCase(a.name, b.name); });
    return entries;
}

}  // namespace tessaro::archives
