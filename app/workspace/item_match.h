// Finding the item of a selection-only list that equals a text, letter case ignored, as the
// in-place editors do when they take their first value.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessaro::workspace {

// ASCII letters compare without case; every other character must be equal.
inline bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

template <typename Items>
std::optional<std::size_t> findItemIgnoringCase(const Items& items, std::string_view text) {
    for (std::size_t i = 0; i < std::size(items); ++i)
        if (sameTextIgnoringCase(items[i], text)) return i;
    return std::nullopt;
}

}  // namespace tessaro::workspace
