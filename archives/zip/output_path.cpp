#include "archives/zip/output_path.h"

#include "platform/path_text.h"

#include <string>
#include <vector>

namespace tessaro::archives::zip {

bool hasInvalidPathCharacters(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '"' || c == '<' || c == '>' || c == '|') return true;
    }
    return false;
}

std::optional<std::filesystem::path> confinedRelativePath(std::string_view name, bool lastOnly) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    while (parts.size() > 1 && parts.back().empty()) parts.pop_back();  // a folder's trailing separator
    if (lastOnly) parts.erase(parts.begin(), parts.end() - 1);

    // A leading separator, a drive or stream colon, or an empty component inside the name
    // (the "\\" of a share prefix) make the name absolute in Windows' reading of it.
    if (name.find(':') != std::string_view::npos) return std::nullopt;
    std::vector<std::string_view> kept;
    for (const auto part : parts) {
        if (part.empty()) return std::nullopt;
        if (part == ".") continue;
        if (part == "..") {
            if (kept.empty()) return std::nullopt;
            kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    if (kept.empty()) return std::nullopt;
    std::filesystem::path path;
    for (const auto part : kept) path /= platform::pathFromUtf8(part);
    return path;
}

}  // namespace tessaro::archives::zip
