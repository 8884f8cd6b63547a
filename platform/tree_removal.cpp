// Removing a tree on POSIX: every folder of it made writable (never through a link, which
// would change the permissions of what it leads to), then std::filesystem::remove_all, which
// on POSIX removes a symbolic link itself and never descends into one.
#include "platform/tree_removal.h"

#include "platform/file_links.h"

namespace tessaro::platform {
namespace {

namespace fs = std::filesystem;

void makeFoldersWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (isLink(it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code entryError;
        if (it->is_directory(entryError))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, entryError);
    }
}

}  // namespace

bool removeTree(const fs::path& path) noexcept {
    try {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (!fs::exists(status)) return false;
        if (fs::is_directory(status)) makeFoldersWritable(path);
        fs::remove_all(path, ec);
        return !ec && !fs::exists(fs::symlink_status(path, ec));
    } catch (...) {
        return false;
    }
}

}  // namespace tessaro::platform
