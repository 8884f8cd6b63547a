#include "production/del_tree.h"

#include "platform/tree_removal.h"

namespace tessaro::production {

bool DelTree(const std::filesystem::path& DirName) noexcept {
    return !DirName.empty() && platform::removeTree(DirName);
}

}  // namespace tessaro::production
