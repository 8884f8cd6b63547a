#include "archives/name_matching.h"

#include <algorithm>

namespace tessaro::archives {
namespace {

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Length of the UTF-8 sequence starting with `lead` (1 for anything that is not a lead).
size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = upperAscii(c);
    return out;
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

bool lessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto less = [](char x, char y) {
        return static_cast<unsigned char>(upperAscii(x)) < static_cast<unsigned char>(upperAscii(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
    return a < b;
}

}  // namespace tessaro::archives
