#include "production/del_tree.h"

#include "platform/file_attributes.h"

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

// A folder the owner may not write keeps its entries, and Windows refuses to delete a
// read-only file; so every folder of the tree is made writable first, and every read-only
// file loses that attribute, as the Windows shell's removal does for read-only entries.
void makeFoldersWritable(const fs::path& root) {
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code entryError;
        if (it->is_symlink(entryError)) continue;
        if (it->is_directory(entryError))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, entryError);
        else if (platform::isReadOnly(it->path()))
            platform::applyDosAttributes(it->path(), 0);
    }
}

}  // namespace

bool DelTree(const fs::path& DirName) noexcept {
    try {
        std::error_code ec;
        if (DirName.empty() || !fs::exists(fs::symlink_status(DirName, ec))) return false;
        if (fs::is_directory(fs::symlink_status(DirName, ec))) makeFoldersWritable(DirName);
        fs::remove_all(DirName, ec);
        return !ec && !fs::exists(fs::symlink_status(DirName, ec));
    } catch (...) {
        return false;
    }
}

}  // namespace tessaro::production
