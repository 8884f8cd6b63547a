// Where replacing a file must write, on POSIX: symbolic links followed one by one.
#include "platform/temp_file.h"

namespace tessaro::platform {

std::filesystem::path replacementTarget(const std::filesystem::path& path) {
    // Links are followed one by one, so a link to a file not yet made still names it.
    constexpr int kMaxLinks = 40;
    std::filesystem::path target = path;
    std::error_code ec;
    for (int hops = 0; hops < kMaxLinks && std::filesystem::is_symlink(target, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

}  // namespace tessaro::platform
