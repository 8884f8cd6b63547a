#include "archives/zip/name_mask.h"

#include <cstdint>

namespace tessaro::archives::zip {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

struct SplitPath {
    std::string_view folder;  // empty when none
    std::string_view last;
};

SplitPath splitLast(std::string_view path) {
    const size_t sep = path.rfind('\\');
    if (sep == std::string_view::npos) return {{}, path};
    return {path.substr(0, sep), path.substr(sep + 1)};
}

}  // namespace

std::vector<std::string> splitMask(std::string_view mask) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= mask.size()) {
        size_t end = mask.find(';', start);
        if (end == std::string_view::npos) end = mask.size();
        std::string_view part = mask.substr(start, end - start);
        while (!part.empty() && isBlank(part.front())) part.remove_prefix(1);
        while (!part.empty() && isBlank(part.back())) part.remove_suffix(1);
        if (!part.empty()) parts.emplace_back(part);
        start = end + 1;
    }
    return parts;
}

std::string backslashed(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

size_t drivePrefixLength(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return path.size() > 2 && path[2] == '\\' ? 3 : 2;
    if (path.starts_with("\\\\")) {
        const size_t server = path.find('\\', 2);
        if (server == std::string_view::npos) return path.size();
        const size_t share = path.find('\\', server + 1);
        return share == std::string_view::npos ? path.size() : share + 1;
    }
    return 0;
}

bool entryMatchesMask(std::string_view mask, std::string_view entryName) {
    std::string name = backslashed(entryName);
    if (!name.empty() && name.back() == '\\') name.pop_back();
    const SplitPath entry = splitLast(name);
    for (const auto& rawPart : splitMask(mask)) {
        std::string part = backslashed(rawPart);
        part.erase(0, drivePrefixLength(part));
        const SplitPath pattern = splitLast(part);
        if (!pattern.folder.empty() && !wildcardMatch(pattern.folder, entry.folder)) continue;
        if (nameComponentMatch(pattern.last, entry.last)) return true;
    }
    return false;
}

}  // namespace tessaro::archives::zip
