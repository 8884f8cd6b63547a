// Links on Windows: reparse points that stand for another name. The attribute shows a reparse
// point; its tag, read through a handle to the point itself, tells a link from a cloud
// placeholder. A tag that cannot be read counts as a link, so a walk errs on the side of not
// descending (Wine reports every reparse point with no tag).
#include "platform/file_links.h"

#include "platform/win32_support.h"

namespace tessaro::platform {

bool isLink(const std::filesystem::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    return win32::isLinkTag(win32::reparseTag(path));
}

}  // namespace tessaro::platform
