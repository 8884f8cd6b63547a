#include "archives/zip/name_mask.h"

#include <cstdint>

namespace tessaro::archives::zip {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Length of the UTF-8 sequence starting with `lead` (1 for anything that is not a lead).
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

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

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
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

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    const std::string p = asciiUpper(pattern);
    const std::string n = asciiUpper(name);
    // Greedy matching with one backtrack point: the last "*" seen.
    size_t pi = 0, ni = 0;
    size_t starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && p[pi] == '?') {
            ++pi;
            ni += sequenceLength(static_cast<unsigned char>(n[ni]));
        } else if (pi < p.size() && p[pi] == n[ni]) {
            ++pi;
            ++ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            starN += sequenceLength(static_cast<unsigned char>(n[starN]));
            ni = starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size() && ni == n.size();
}

bool nameComponentMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return !name.empty();
    return wildcardMatch(pattern, name);
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
