#include "platform/scratch_folder.h"

#include "platform/error.h"
#include "platform/temp_file.h"

#include <random>
#include <string>

namespace tessaro::platform {

ScratchFolder::ScratchFolder() {
    std::random_device random;
    const std::filesystem::path base = systemTempFolder();
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = base / ("tessaro-" + std::to_string(random()) + std::to_string(random()));
        // create_directory is false for a name that exists already: try another.
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = std::move(candidate);
            return;
        }
        if (ec) break;
    }
    throw Error("Cannot create folder \"" + (base / "tessaro-*").string() + "\". " + (ec ? ec.message() : "File exists"));
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    // Entries marked read-only (as extraction restores them) must not keep the folder alive.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
    std::filesystem::remove_all(path_, ec);
}

}  // namespace tessaro::platform
