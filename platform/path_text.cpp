#include "platform/path_text.h"

namespace tessaro::platform {

std::filesystem::path pathFromUtf8(std::string_view text) {
    // char8_t text is UTF-8 by definition, whatever the platform's narrow encoding.
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tessaro::platform
