// The settings of one Deflate stream: which block forms are allowed, how hard the match search
// works, and the preset letter they came from.
//
// A value type: the encoder takes a copy per stream, so whatever a stream does to its copy (the
// one-time doubling of the search limits) never reaches the next stream. Presets are applied
// by letter; changing any single value afterwards marks the set as custom ("?"), which also
// switches the doubling off, since that adjustment belongs to the normal preset only.
#pragma once

#include <cstdint>

namespace tessaro::archives {

class DeflateSettings {
public:
    // Option bits.
    static constexpr unsigned kStored = 1;
    static constexpr unsigned kFixed = 2;
    static constexpr unsigned kDynamic = 4;
    static constexpr unsigned kLazy = 8;
    static constexpr unsigned kDeflate64 = 16;  // refused: the encoder writes plain Deflate only
    static constexpr unsigned kAdler32 = 32;    // return Adler-32 instead of CRC-32

    static constexpr unsigned kWindowSize = 32768;
    static constexpr unsigned kMinLimit = 4;
    static constexpr unsigned kMaxLimit = 1u << 20;

    // A fresh set: options 15, ample length 8, chain length 32, maximum lazy length 16,
    // preset letter "n".
    DeflateSettings() = default;

    // The ZIP writer's settings: preset "0" and then the given letter.
    static DeflateSettings forZipWriter(char letter);

    // Applies preset "0", "2", "f", "n", "s" or "x" (upper case counts as lower case). Applying
    // the current letter changes nothing; an unknown letter changes nothing and returns false.
    bool applyPreset(char letter);

    unsigned options() const { return options_; }
    unsigned ampleLength() const { return ample_; }
    unsigned chainLength() const { return chain_; }
    unsigned maxLazyLength() const { return maxLazy_; }
    unsigned windowSize() const { return kWindowSize; }
    char presetLetter() const { return letter_; }

    // Each setter marks the set as custom ("?") when the value changes. Lengths are kept
    // within [4, 2^20]. setOptions throws std::invalid_argument for a set without any of the
    // block forms 1, 2, 4, with the Deflate64 bit, or with bits above 32.
    void setOptions(unsigned options);
    void setAmpleLength(unsigned value);
    void setChainLength(unsigned value);
    void setMaxLazyLength(unsigned value);

    // Lazy evaluation on: the maximum lazy length; off: 0 (every match is taken at once).
    unsigned effectiveMaxLazyLength() const { return (options_ & kLazy) ? maxLazy_ : 0; }

    // The search limits doubled, as the encoder does once per stream for the normal preset.
    void doubleSearchLimits();

    // Complete Huffman codes: an alphabet with fewer than two used symbols still gets two
    // codes of length 1. RFC 1951 allows the one-code form, and ZIP readers accept it, but the
    // MSZIP decoders of common cabinet tools refuse any incomplete code, so cabinet frames
    // turn this on. It is no preset setting and leaves the preset letter alone.
    bool completeCodes() const { return completeCodes_; }
    void setCompleteCodes(bool on) { completeCodes_ = on; }

    friend bool operator==(const DeflateSettings&, const DeflateSettings&) = default;

private:
    unsigned options_ = 15;
    unsigned ample_ = 8;
    unsigned chain_ = 32;
    unsigned maxLazy_ = 16;
    char letter_ = 'n';
    bool completeCodes_ = false;
};

}  // namespace tessaro::archives
