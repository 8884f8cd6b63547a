#include "archives/deflate/deflate_settings.h"

#include <algorithm>
#include <stdexcept>

namespace tessaro::archives {

namespace {

struct Preset {
    char letter;
    unsigned clearBits;
    unsigned setBits;
    unsigned ample;
    unsigned chain;
    unsigned maxLazy;
};

// "0" clears the block forms and lazy evaluation before allowing stored blocks only; the
// others only add bits, so "f" and "s" keep lazy evaluation exactly when it was on before.
constexpr Preset kPresets[] = {
    {'0', 15, 1, 8, 32, 16},  {'2', 0, 15, 8, 32, 16}, {'f', 0, 7, 4, 32, 6},
    {'n', 0, 15, 16, 32, 24}, {'s', 0, 7, 4, 4, 4},    {'x', 0, 15, 64, 4096, 258},
};

unsigned clampLimit(unsigned value) {
    return std::clamp(value, DeflateSettings::kMinLimit, DeflateSettings::kMaxLimit);
}

char toLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

DeflateSettings DeflateSettings::forZipWriter(char letter) {
    DeflateSettings settings;
    settings.applyPreset('0');
    settings.applyPreset(letter);
    return settings;
}

bool DeflateSettings::applyPreset(char letter) {
    letter = toLower(letter);
    for (const Preset& p : kPresets) {
        if (p.letter != letter) continue;
        if (letter == letter_) return true;
        options_ = (options_ & ~p.clearBits) | p.setBits;
        ample_ = p.ample;
        chain_ = p.chain;
        maxLazy_ = p.maxLazy;
        letter_ = letter;
        return true;
    }
    return false;
}

void DeflateSettings::setOptions(unsigned options) {
    if ((options & (kStored | kFixed | kDynamic)) == 0)
        throw std::invalid_argument("Deflate options need at least one block form");
    if ((options & kDeflate64) != 0) throw std::invalid_argument("Deflate64 output is not supported");
    if (options >= 64) throw std::invalid_argument("unknown Deflate option bits");
    if (options == options_) return;
    options_ = options;
    letter_ = '?';
}

void DeflateSettings::setAmpleLength(unsigned value) {
    value = clampLimit(value);
    if (value == ample_) return;
    ample_ = value;
    letter_ = '?';
}

void DeflateSettings::setChainLength(unsigned value) {
    value = clampLimit(value);
    if (value == chain_) return;
    chain_ = value;
    letter_ = '?';
}

void DeflateSettings::setMaxLazyLength(unsigned value) {
    value = clampLimit(value);
    if (value == maxLazy_) return;
    maxLazy_ = value;
    letter_ = '?';
}

void DeflateSettings::doubleSearchLimits() {
    ample_ *= 2;
    chain_ *= 2;
    maxLazy_ *= 2;
}

}  // namespace tessaro::archives
