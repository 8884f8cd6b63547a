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
// a window of the needle's length is judged by the pair of bytes at its end: a pair the
// needle does not hold anywhere lets the window move on by the needle's length less one,
// the usual case in a declaration. Pairs are hashed into 256 slots; a collision only makes
// a move shorter, never wrong. (The pair form of Horspool's search, as C libraries use it.)
//
// The inner loop moves by the full length while pairs are absent, so the next position
// never waits for the byte just loaded: the processor can run ahead through the text,
// which makes this loop several times faster than one whose every step depends on a load.

constexpr std::size_t kShortestSkipNeedle = 3;
constexpr std::size_t kLongestSkipNeedle = 256;  // positions are kept in bytes

std::uint8_t pairSlot(std::string_view text, std::size_t last) {
    const auto previous = static_cast<unsigned char>(text[last - 1]);
    return static_cast<std::uint8_t>(static_cast<unsigned char>(text[last]) - (previous << 3));
}

std::size_t findWithPairSkips(std::string_view text, std::string_view needle, std::size_t from) {
    const std::size_t m1 = needle.size() - 1;  // distance from a window's first byte to its last

    // For each slot, the position (1 to m1) of the needle's last pair in it; 0: none.
    std::array<std::uint8_t, 256> position{};
    for (std::size_t i = 1; i < m1; ++i) position[pairSlot(needle, i)] = static_cast<std::uint8_t>(i);
    const std::uint8_t lastSlot = pairSlot(needle, m1);
    // After a failed comparison the window moves until an earlier pair of the needle with
    // the same slot lines up, or by m1 when there is none.
    const std::size_t moveAfterMismatch = m1 - position[lastSlot];
    position[lastSlot] = static_cast<std::uint8_t>(m1);

    // `last` is the window's last byte; each round of the inner loop first moves it by m1.
    std::size_t last = from;
    for (;;) {
        std::size_t at;
        do {
            last += m1;
            if (last >= text.size()) return std::string_view::npos;
            at = position[pairSlot(text, last)];
        } while (at == 0);
        if (at < m1) {
            last -= at;  // the inner loop's move then lines that pair of the needle up
            continue;
        }
        const std::size_t start = last - m1;
        if (std::memcmp(text.data() + start, needle.data(), needle.size()) == 0) return start;
        last = start + moveAfterMismatch;
    }
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
