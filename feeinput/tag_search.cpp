#include "feeinput/tag_search.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace tessaro::feeinput {
namespace {

// ---- Literal search with a skip table of byte pairs ------------------------------------------
//
// A declaration is almost all tags, so "<" occurs every few bytes, and a search that looks
// for the needle's first byte and compares from there stops at every one of them. Instead,
// the window of the needle's length is judged by the pair of bytes at its end: a pair the
// needle does not hold anywhere lets the window move on by the needle's length less one,
// the usual case in a declaration. Pairs are hashed into 256 slots; a collision only makes
// a skip shorter, never wrong. (The pair form of Horspool's search, as C libraries use it.)

constexpr std::size_t kShortestSkipNeedle = 3;
constexpr std::size_t kLongestSkipNeedle = 255;  // skips are kept in bytes

std::uint8_t pairSlot(unsigned char previous, unsigned char last) {
    return static_cast<std::uint8_t>(last - (previous << 3));
}

std::size_t findWithPairSkips(std::string_view text, std::string_view needle, std::size_t from) {
    const std::size_t m = needle.size();
    const auto byte = [](std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); };

    std::array<std::uint8_t, 256> skip;
    skip.fill(static_cast<std::uint8_t>(m - 1));
    for (std::size_t i = 1; i + 1 < m; ++i)
        skip[pairSlot(byte(needle, i - 1), byte(needle, i))] = static_cast<std::uint8_t>(m - 1 - i);
    const std::uint8_t lastSlot = pairSlot(byte(needle, m - 2), byte(needle, m - 1));
    // After a failed comparison the window may move by as much as the pair's skip had been
    // before the needle's own last pair claimed it; never less than one.
    const std::size_t skipAfterMismatch = skip[lastSlot];
    skip[lastSlot] = 0;

    for (std::size_t end = from + m - 1; end < text.size();) {
        const std::uint8_t step = skip[pairSlot(byte(text, end - 1), byte(text, end))];
        if (step != 0) {
            end += step;
            continue;
        }
        const std::size_t start = end + 1 - m;
        if (std::memcmp(text.data() + start, needle.data(), m) == 0) return start;
        end += skipAfterMismatch;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t findLiteral(std::string_view text, std::string_view needle, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    if (needle.size() < kShortestSkipNeedle || needle.size() > kLongestSkipNeedle) return text.find(needle, from);
    return findWithPairSkips(text, needle, from);
}

std::optional<TagValue> findTag(std::string_view text, std::string_view tag, std::size_t from) {
    const std::string opening = "<" + std::string(tag) + ">";
    const std::string closing = "</" + std::string(tag) + ">";

    const std::size_t openAt = findLiteral(text, opening, from);
    if (openAt == std::string_view::npos) return std::nullopt;
    const std::size_t valueBegin = openAt + opening.size();
    const std::size_t closeAt = findLiteral(text, closing, valueBegin);
    if (closeAt == std::string_view::npos) return std::nullopt;
    return TagValue{valueBegin, closeAt, closeAt + closing.size()};
}

}  // namespace tessaro::feeinput
