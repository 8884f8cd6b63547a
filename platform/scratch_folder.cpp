#include "platform/scratch_folder.h"

#include "platform/error.h"
#include "platform/path_text.h"
#include "platform/temp_file.h"
#include "platform/tree_removal.h"

#include <random>
#include <string>

namespace tessaro::platform {

ScratchFolder::ScratchFolder() {
    std::random_device random;
    const std::filesystem::path base = systemTempFolder();
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = base / pathFromUtf8("tessaro-" + std::to_string(random()) + std::to_string(random()));
        // create_directory is false for a name that exists already: try another.
        if (std::filesystem::create_directory(candidate, ec)) {
            path_ = std::move(candidate);
            return;
        }
        if (ec) break;
    }
    throw Error("Cannot create folder \"" + (base / "tessaro-*").string() + "\". " + (ec ? ec.message() : "File exists"));
}

// Entries marked read-only (as extraction restores them) do not keep the folder alive, and a
// link inside it loses only itself.
ScratchFolder::~ScratchFolder() { removeTree(path_); }

}  // namespace tessaro::platform
