// The letter sets below hold, for the bytes 80-FF, those that a code page maps to an upper-
// or lower-case letter (Unicode categories Lu, Ll, Lt; the florin sign counts as currency).
// They were taken from the code page tables once and are fixed here so that the rule does
// not depend on the conversion tables of the platform. Code page 862 (Hebrew, whose letters
// are caseless) uses the letter set of 437.
#include "archives/zip/oem_look.h"

#include <array>
#include <cstdint>

namespace tessaro::archives::zip {
namespace {

// Bit (b - 0x80) of the 128-bit set, low word first.
using ByteSet = std::array<std::uint64_t, 2>;

struct OemLetterSets {
    platform::CodePage oem;
    ByteSet oemLetters;
    ByteSet ansiLetters;
};

constexpr OemLetterSets kLetterSets[] = {
    {437, {0x0000003F07FFFFFFULL, 0x00006FFF00000000ULL}, {0x00200000D4005400ULL, 0xFF7FFFFFFF7FFFFFULL}},  // ANSI companion 1252
    {720, {0x0000000000C81FACULL, 0x0000004000000000ULL}, {0x0020000010001000ULL, 0x1A10CF8500000000ULL}},  // ANSI companion 1256
    {737, {0x0000FFFFFFFFFFFFULL, 0x0031FFFF00000000ULL}, {0xD720000400000000ULL, 0x7FFFFFFFFFFBFFFFULL}},  // ANSI companion 1253
    {775, {0x61E0203F2FBFFFFFULL, 0x00007FFF01FF80C0ULL}, {0x8520850000000000ULL, 0x7F7FFFFFFF7FFFFFULL}},  // ANSI companion 1257
    {850, {0x00E0003F2FFFFFFFULL, 0x00003FFF41FF00C0ULL}, {0x00200000D4005400ULL, 0xFF7FFFFFFF7FFFFFULL}},  // ANSI companion 1252
    {852, {0x61E03BFFBFFFFFFFULL, 0x38007FFF61FF00C0ULL}, {0xD6288428F400F400ULL, 0x7F7FFFFFFF7FFFFFULL}},  // ANSI companion 1250
    {855, {0x61E03FFFFFFFFFFFULL, 0x1FFE7FFF61FF00C0ULL}, {0xF53C852EF401F40BULL, 0xFFFFFFFFFFFFFFFFULL}},  // ANSI companion 1251
    {857, {0x00E000FFEFFFFFFFULL, 0x00003E7F41DC00C0ULL}, {0x0020000094001400ULL, 0xFF7FFFFFFF7FFFFFULL}},  // ANSI companion 1254
    {862, {0x0000003F07FFFFFFULL, 0x00006FFF00000000ULL}, {0x0020000000000000ULL, 0x0000000000000000ULL}},  // ANSI companion 1255
    {866, {0x0000FFFFFFFFFFFFULL, 0x00FFFFFF00000000ULL}, {0xF53C852EF401F40BULL, 0xFFFFFFFFFFFFFFFFULL}},  // ANSI companion 1251
};

bool contains(const ByteSet& set, std::uint8_t byte) {
    const unsigned bit = byte - 0x80u;
    return (set[bit / 64] >> (bit % 64)) & 1u;
}

}  // namespace

bool looksLikeOemText(std::string_view raw, platform::CodePage oemCodePage) {
    const OemLetterSets* sets = nullptr;
    for (const auto& candidate : kLetterSets)
        if (candidate.oem == oemCodePage) sets = &candidate;
    if (!sets) return false;

    bool allAnsiLetters = true;
    for (const char c : raw) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) continue;
        if (!contains(sets->oemLetters, byte)) return false;
        if (!contains(sets->ansiLetters, byte)) allAnsiLetters = false;
    }
    return !allAnsiLetters;
}

}  // namespace tessaro::archives::zip
