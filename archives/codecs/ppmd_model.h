// The context model of PPMd variant I (Shkarin's PPMII, variant I revision 1), decoding side.
//
// The model predicts each byte from the contexts of the preceding 1..maxOrder bytes. A
// context lists the symbols seen after it with frequencies; the decoder tries the longest
// context first and escapes to shorter ones, excluding symbols already ruled out, down to
// the order-0 context that knows all 256 bytes (an escape from it is the end marker).
// Contexts with one symbol ("binary" contexts) code hit or miss with adaptive probabilities
// (BinSumm); escapes from larger contexts are priced by secondary escape estimation (SEE).
// After each symbol the model adds it to the contexts it escaped from and grows new longer
// contexts. When memory runs out it either starts afresh or prunes itself ("cut off"), as the
// entry's header says.
//
// Every rule here (frequency increments, thresholds, table initialisation, the moment and
// manner of pruning) must match the compressor exactly: any difference decodes garbage.
#pragma once

#include "archives/codecs/ppmd_memory.h"
#include "archives/codecs/ppmd_range_decoder.h"

#include <array>
#include <cstdint>

namespace tessaro::archives::ppmd {

enum class Restoration { Restart = 0, CutOff = 1 };

class Model {
public:
    Model(unsigned maxOrder, Restoration restoration, std::uint32_t memorySize);

    // The next byte (0-255), or -1 for the end marker. Throws DecodeError on corrupt data.
    int decodeSymbol(RangeDecoder& decoder);

    // A memory size with which a model of `maxOrder` never runs out while it codes `symbols`
    // symbols. Until memory runs out, a model's choices depend only on the order of its
    // blocks, never on where the block ends, so it then codes exactly as a model of any
    // larger size: a small entry needs no more than this, whatever its header asks for.
    static std::uint64_t sufficientMemory(unsigned maxOrder, std::uint64_t symbols);

private:
    // The compressor side used by the tests (tests/archives/support/ppmd_test_encoder.h)
    // drives this same model, so its streams can be checked by an independent decoder.
    friend class EncoderForTests;

    struct See {
        std::uint16_t summ = 0;
        std::uint8_t shift = 0;
        std::uint8_t count = 0;
    };
    struct StateValue {
        std::uint8_t symbol = 0;
        std::uint8_t freq = 0;
        Ref successor = 0;
    };

    // ---- Records in memory ----
    // State (6 bytes): symbol, freq, successor (32 bits).
    // Context (12 bytes): numStats (symbols - 1), flags, summFreq (16 bits), stats, suffix;
    // a binary context keeps its one state in place of summFreq and stats (at +2).
    static constexpr unsigned kStateSize = 6;
    unsigned symbol(Ref s) const { return memory_.u8(s); }
    unsigned freq(Ref s) const { return memory_.u8(s + 1); }
    void setFreq(Ref s, unsigned value) { memory_.setU8(s + 1, value); }
    Ref successor(Ref s) const { return memory_.u32(s + 2); }
    void setSuccessor(Ref s, Ref value) { memory_.setU32(s + 2, value); }
    StateValue loadState(Ref s) const { return {static_cast<std::uint8_t>(symbol(s)), static_cast<std::uint8_t>(freq(s)), successor(s)}; }
    void storeState(Ref s, const StateValue& v) {
        memory_.setU8(s, v.symbol);
        setFreq(s, v.freq);
        setSuccessor(s, v.successor);
    }
    void swapStates(Ref a, Ref b) {
        const StateValue t = loadState(a);
        storeState(a, loadState(b));
        storeState(b, t);
    }
    static Ref stateAt(Ref stats, unsigned i) { return stats + i * kStateSize; }

    unsigned numStats(Ref c) const { return memory_.u8(c); }
    void setNumStats(Ref c, unsigned value) { memory_.setU8(c, value); }
    unsigned flags(Ref c) const { return memory_.u8(c + 1); }
    void setFlags(Ref c, unsigned value) { memory_.setU8(c + 1, value); }
    unsigned summFreq(Ref c) const { return memory_.u16(c + 2); }
    void setSummFreq(Ref c, unsigned value) { memory_.setU16(c + 2, value); }
    Ref stats(Ref c) const { return memory_.u32(c + 4); }
    void setStats(Ref c, Ref value) { memory_.setU32(c + 4, value); }
    Ref suffix(Ref c) const { return memory_.u32(c + 8); }
    void setSuffix(Ref c, Ref value) { memory_.setU32(c + 8, value); }
    static Ref oneState(Ref c) { return c + 2; }
    static unsigned highFlag(unsigned sym) { return sym >= 0x40 ? 0x08 : 0; }

    // ---- Decoding steps ----
    int decodeInEscapes(RangeDecoder& decoder);
    std::uint16_t& binaryProbability();
    See& escapeEstimator(unsigned numMasked, std::uint32_t& escFreq);
    Ref findState(Ref context, unsigned sym) const;

    // ---- Updates after a symbol ----
    void updateFirst();
    void updateOther();
    void updateAfterEscape();
    void updateBinary();
    void nextContext();
    void updateModel();
    Ref createSuccessors(bool skip, Ref s1, Ref c);
    Ref reduceOrder(Ref s1, Ref c);
    void rescale();
    void refresh(Ref c, unsigned oldUnits, unsigned scale);

    // ---- Memory exhaustion ----
    void restart();
    void restoreModel(Ref c1);
    Ref cutOff(Ref c, unsigned order);

    Memory memory_;
    unsigned maxOrder_;
    Restoration restoration_;

    Ref minContext_ = 0;
    Ref maxContext_ = 0;
    Ref foundState_ = 0;
    unsigned orderFall_ = 0;
    unsigned initEsc_ = 0;
    unsigned prevSuccess_ = 0;
    std::int32_t runLength_ = 0;
    std::int32_t initRunLength_ = 0;

    std::array<std::array<std::uint16_t, 64>, 25> binSumm_{};  // rows: binary frequency groups
    std::array<std::array<See, 32>, 24> see_{};  // rows: symbol count groups
    See dummySee_{};
    std::array<bool, 256> masked_{};
};

}  // namespace tessaro::archives::ppmd
