// Links on POSIX: symbolic links, as lstat sees them.
#include "platform/file_links.h"

namespace tessaro::platform {

bool isLink(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec));
}

}  // namespace tessaro::platform
