// PPMd variant I model: table set-up, symbol decoding, model updates and memory restoration.
// The rules follow the compressor exactly; see ppmd_model.h.
#include "archives/codecs/ppmd_model.h"

#include "archives/io/decode_error.h"

#include <algorithm>

namespace tessaro::archives::ppmd {

namespace {

constexpr unsigned kMaxOrder = 16;
constexpr unsigned kMaxFreq = 124;
constexpr unsigned kIntervalBits = 7;
constexpr unsigned kPeriodBits = 7;
constexpr unsigned kBinScale = 1u << (kIntervalBits + kPeriodBits);

constexpr std::uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr std::uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

// Groups symbol counts (and binary frequencies) into table rows: 0-4 one each, then rows
// covering 1, 2, 3, ... values.
constexpr std::array<std::uint8_t, 260> makeCountToRow() {
    std::array<std::uint8_t, 260> table{};
    unsigned i = 0;
    for (; i < 5; ++i) table[i] = static_cast<std::uint8_t>(i);
    for (unsigned row = 5, left = 1; i < table.size(); ++i) {
        table[i] = static_cast<std::uint8_t>(row);
        if (--left == 0) left = ++row - 4;
    }
    return table;
}
constexpr auto kCountToRow = makeCountToRow();

// Column offset of a binary context's probability by the size of its suffix.
constexpr std::array<std::uint8_t, 256> makeSuffixSizeColumn() {
    std::array<std::uint8_t, 256> table{};
    table[0] = 0;
    table[1] = 2;
    for (unsigned i = 2; i < 11; ++i) table[i] = 4;
    for (unsigned i = 11; i < 256; ++i) table[i] = 6;
    return table;
}
constexpr auto kSuffixSizeColumn = makeSuffixSizeColumn();

constexpr unsigned meanOf(unsigned probability) { return (probability + (1u << (kPeriodBits - 2))) >> kPeriodBits; }

[[noreturn]] void inconsistent(const char* step) { throw DecodeError(std::string("model inconsistency (PPMd, ") + step + ")"); }
[[noreturn]] void corrupt(const char* step) { throw DecodeError(std::string("corrupt data (PPMd, ") + step + ")"); }

}  // namespace

Model::Model(unsigned maxOrder, Restoration restoration, std::uint32_t memorySize)
    : memory_(memorySize), maxOrder_(maxOrder), restoration_(restoration) {
    dummySee_.shift = kPeriodBits;
    dummySee_.count = 64;
    restart();
}

// ---- Memory bound ----

// Per symbol the model writes at most one byte of text and makes at most one update: new
// contexts for at most maxOrder + 1 pending states (one unit each) and, in each of at most
// maxOrder + 1 contexts of the chain, one symbol list moved to a larger block (at most 128
// units) or a first list (one unit). A start takes one unit for the root and 128 for its
// list. The unit area is 7/8 of the block and the text the rest (Memory::reset); a size that
// is a multiple of 96 makes both exact.
std::uint64_t Model::sufficientMemory(unsigned maxOrder, std::uint64_t symbols) {
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 40;  // far beyond any header's 256 MiB
    if (symbols >= kLimit / (kMaxOrder + 1) / 129 / kUnitSize) return kLimit;
    const std::uint64_t units = 1 + 128 + symbols * (maxOrder + 1) * (1 + 128) + 1;
    const std::uint64_t forUnits = (units * kUnitSize + 83) / 84;  // 84 bytes of units per 96
    const std::uint64_t forText = (symbols + 1 + 11) / 12 + 1;     // 12 bytes of text per 96
    return 96 * std::max(forUnits, forText);
}

// ---- Start ----

void Model::restart() {
    memory_.reset();
    orderFall_ = maxOrder_;
    runLength_ = initRunLength_ = -static_cast<std::int32_t>(maxOrder_ < 12 ? maxOrder_ : 12) - 1;
    prevSuccess_ = 0;

    // The order-0 context: all 256 symbols with frequency 1.
    const Ref root = memory_.takeTopUnit();
    minContext_ = maxContext_ = root;
    setSuffix(root, 0);
    setNumStats(root, 255);
    setFlags(root, 0);
    setSummFreq(root, 256 + 1);
    const Ref states = memory_.takeBottomUnits(256 / 2);
    setStats(root, states);
    foundState_ = states;
    for (unsigned i = 0; i < 256; ++i) storeState(stateAt(states, i), {static_cast<std::uint8_t>(i), 1, 0});

    // The tables are filled value by value, each value overwriting the row it falls into, so
    // a row starts with the estimate of the largest value it groups: binary probabilities by
    // frequency (rows of kCountToRow), escape estimators by symbol count.
    for (unsigned f = 0; kCountToRow[f] < binSumm_.size(); ++f)
        for (unsigned k = 0; k < 8; ++k)
            for (unsigned m = 0; m < 64; m += 8)
                binSumm_[kCountToRow[f]][k + m] = static_cast<std::uint16_t>(kBinScale - kInitBinEsc[k] / (f + 2));

    for (unsigned ns = 1; ns < 256; ++ns)
        for (See& see : see_[kCountToRow[ns + 2] - 3u]) {
            see.shift = kPeriodBits - 4;
            see.summ = static_cast<std::uint16_t>((2 * ns + 5) << see.shift);
            see.count = 7;
        }
}

// ---- Decoding ----

Ref Model::findState(Ref context, unsigned sym) const {
    const Ref first = stats(context);
    for (unsigned i = 0; i <= numStats(context); ++i)
        if (symbol(stateAt(first, i)) == sym) return stateAt(first, i);
    inconsistent("symbol missing from a shorter context");
}

std::uint16_t& Model::binaryProbability() {
    const unsigned f = freq(oneState(minContext_));
    if (f == 0) inconsistent("binary context without frequency");
    const unsigned column = kSuffixSizeColumn[numStats(suffix(minContext_))] + prevSuccess_ + flags(minContext_) +
                            ((runLength_ >> 26) & 0x20);
    return binSumm_.at(kCountToRow[f - 1]).at(column);
}

int Model::decodeSymbol(RangeDecoder& decoder) {
    const Ref mc = minContext_;
    if (numStats(mc) != 0) {
        Ref s = stats(mc);
        const std::uint32_t count = decoder.threshold(summFreq(mc));
        std::uint32_t hiCnt = freq(s);
        if (count < hiCnt) {
            decoder.decode(0, hiCnt);
            foundState_ = s;
            const int sym = static_cast<int>(symbol(s));
            updateFirst();
            return sym;
        }
        prevSuccess_ = 0;
        for (unsigned i = 0; i < numStats(mc); ++i) {
            s += kStateSize;
            hiCnt += freq(s);
            if (hiCnt > count) {
                decoder.decode(hiCnt - freq(s), freq(s));
                foundState_ = s;
                const int sym = static_cast<int>(symbol(s));
                updateOther();
                return sym;
            }
        }
        if (count >= summFreq(mc)) corrupt("symbol count out of range");
        decoder.decode(hiCnt, summFreq(mc) - hiCnt);
        masked_.fill(false);
        for (unsigned i = 0; i <= numStats(mc); ++i) masked_[symbol(stateAt(stats(mc), i))] = true;
    } else {
        std::uint16_t& probability = binaryProbability();
        if (decoder.binaryThreshold() < probability) {
            decoder.decode(0, probability);
            probability = static_cast<std::uint16_t>(probability + (1u << kIntervalBits) - meanOf(probability));
            foundState_ = oneState(mc);
            const int sym = static_cast<int>(symbol(foundState_));
            updateBinary();
            return sym;
        }
        decoder.decode(probability, kBinScale - probability);
        probability = static_cast<std::uint16_t>(probability - meanOf(probability));
        initEsc_ = kExpEscape[probability >> 10];
        masked_.fill(false);
        masked_[symbol(oneState(mc))] = true;
        prevSuccess_ = 0;
    }
    return decodeInEscapes(decoder);
}

// After an escape: shorter contexts, without the symbols already excluded.
int Model::decodeInEscapes(RangeDecoder& decoder) {
    for (;;) {
        const unsigned numMasked = numStats(minContext_);
        do {
            ++orderFall_;
            if (suffix(minContext_) == 0) return -1;
            minContext_ = suffix(minContext_);
        } while (numStats(minContext_) == numMasked);

        const Ref mc = minContext_;
        std::array<Ref, 256> candidates;  // filled up to `found`
        unsigned found = 0;
        std::uint32_t hiCnt = 0;
        // Without branches on the mask: this loop runs over up to 256 states per escape.
        const unsigned unmasked = numStats(mc) - numMasked;
        for (Ref s = stats(mc), end = stateAt(s, numStats(mc) + 1); found != unmasked; s += kStateSize) {
            if (s == end) inconsistent("escape without new symbols");
            const unsigned keep = masked_[symbol(s)] ? 0u : 1u;
            hiCnt += freq(s) & (0u - keep);
            candidates[found] = s;
            found += keep;
        }

        std::uint32_t escFreq = 0;
        See& see = escapeEstimator(numMasked, escFreq);
        const std::uint32_t freqSum = escFreq + hiCnt;
        const std::uint32_t count = decoder.threshold(freqSum);
        if (count < hiCnt) {
            std::uint32_t upTo = 0;
            unsigned k = 0;
            while ((upTo += freq(candidates[k])) <= count) ++k;
            const Ref s = candidates[k];
            decoder.decode(upTo - freq(s), freq(s));
            if (see.shift < kPeriodBits && --see.count == 0) {
                see.summ = static_cast<std::uint16_t>(see.summ << 1);
                see.count = static_cast<std::uint8_t>(3u << see.shift++);
            }
            foundState_ = s;
            const int sym = static_cast<int>(symbol(s));
            updateAfterEscape();
            return sym;
        }
        if (count >= freqSum) corrupt("escape count out of range");
        decoder.decode(hiCnt, freqSum - hiCnt);
        see.summ = static_cast<std::uint16_t>(see.summ + freqSum);
        for (unsigned k = 0; k < found; ++k) masked_[symbol(candidates[k])] = true;
    }
}

// Secondary escape estimation: picks the adaptive estimator of this kind of context and
// returns the escape frequency it predicts.
Model::See& Model::escapeEstimator(unsigned numMasked, std::uint32_t& escFreq) {
    const Ref mc = minContext_;
    const unsigned ns = numStats(mc);
    if (ns == 255) {
        escFreq = 1;
        return dummySee_;
    }
    const unsigned column = (summFreq(mc) > 11 * (ns + 1) ? 1 : 0) + 2 * (2 * ns < numStats(suffix(mc)) + numMasked ? 1 : 0) +
                            flags(mc);
    See& see = see_.at(kCountToRow[ns + 2] - 3u).at(column);
    const unsigned r = see.summ >> see.shift;
    see.summ = static_cast<std::uint16_t>(see.summ - r);
    escFreq = r + (r == 0 ? 1 : 0);
    return see;
}

// ---- Updates after a symbol ----

// The symbol was the first (most probable) of its context.
void Model::updateFirst() {
    const Ref mc = minContext_;
    prevSuccess_ = 2 * freq(foundState_) >= summFreq(mc) ? 1 : 0;
    runLength_ += static_cast<std::int32_t>(prevSuccess_);
    setSummFreq(mc, summFreq(mc) + 4);
    setFreq(foundState_, freq(foundState_) + 4);
    if (freq(foundState_) > kMaxFreq) rescale();
    nextContext();
}

// The symbol was another one of its context: it moves up one place if it overtook.
void Model::updateOther() {
    Ref s = foundState_;
    setFreq(s, freq(s) + 4);
    setSummFreq(minContext_, summFreq(minContext_) + 4);
    if (freq(s) > freq(s - kStateSize)) {
        swapStates(s, s - kStateSize);
        foundState_ = s = s - kStateSize;
        if (freq(s) > kMaxFreq) rescale();
    }
    nextContext();
}

void Model::updateAfterEscape() {
    setSummFreq(minContext_, summFreq(minContext_) + 4);
    setFreq(foundState_, freq(foundState_) + 4);
    if (freq(foundState_) > kMaxFreq) rescale();
    runLength_ = initRunLength_;
    updateModel();
    minContext_ = maxContext_;
}

void Model::updateBinary() {
    setFreq(foundState_, freq(foundState_) + (freq(foundState_) < 196 ? 1 : 0));
    prevSuccess_ = 1;
    ++runLength_;
    nextContext();
}

void Model::nextContext() {
    const Ref c = successor(foundState_);
    if (orderFall_ == 0 && c >= memory_.unitsStart()) {
        minContext_ = maxContext_ = c;
    } else {
        updateModel();
        minContext_ = maxContext_;
    }
}

// Adds the symbol to the contexts escaped from and moves to the next (longest) context,
// creating it when it does not exist yet.
void Model::updateModel() {
    const Ref fs = foundState_;
    const unsigned fSymbol = symbol(fs);
    const unsigned fFreq = freq(fs);
    Ref fSuccessor = successor(fs);
    Ref s = 0;

    if (fFreq < kMaxFreq / 4 && suffix(minContext_) != 0) {
        const Ref c = suffix(minContext_);
        if (numStats(c) == 0) {
            s = oneState(c);
            if (freq(s) < 32) setFreq(s, freq(s) + 1);
        } else {
            s = findState(c, fSymbol);
            if (s != stats(c) && freq(s) >= freq(s - kStateSize)) {
                swapStates(s, s - kStateSize);
                s -= kStateSize;
            }
            if (freq(s) < kMaxFreq - 9) {
                setFreq(s, freq(s) + 2);
                setSummFreq(c, summFreq(c) + 2);
            }
        }
    }

    Ref c = maxContext_;
    if (orderFall_ == 0 && fSuccessor != 0) {
        const Ref created = createSuccessors(true, s, minContext_);
        if (created == 0) {
            setSuccessor(foundState_, 0);
            restoreModel(c);
        } else {
            setSuccessor(foundState_, created);
            maxContext_ = created;
        }
        return;
    }

    memory_.setU8(memory_.text(), fSymbol);
    memory_.setText(memory_.text() + 1);
    Ref newSuccessor = memory_.text();
    if (memory_.text() >= memory_.unitsStart()) {
        restoreModel(c);
        return;
    }

    if (fSuccessor == 0) {
        const Ref reduced = reduceOrder(s, minContext_);
        if (reduced == 0) {
            restoreModel(c);
            return;
        }
        fSuccessor = reduced;
    } else if (fSuccessor < memory_.unitsStart()) {
        const Ref created = createSuccessors(false, s, minContext_);
        if (created == 0) {
            restoreModel(c);
            return;
        }
        fSuccessor = created;
    }

    if (--orderFall_ == 0) {
        newSuccessor = fSuccessor;
        if (maxContext_ != minContext_) memory_.setText(memory_.text() - 1);
    }

    const unsigned ns = numStats(minContext_);
    const std::uint32_t s0 = summFreq(minContext_) - ns - fFreq;
    const unsigned flag = highFlag(fSymbol);
    for (; c != minContext_; c = suffix(c)) {
        if (c == 0) inconsistent("context chain");
        const unsigned ns1 = numStats(c);
        if (ns1 != 0) {
            if ((ns1 & 1) != 0) {
                // The list fills its last unit: move it to a block one size larger.
                const unsigned oldUnits = (ns1 + 1) >> 1;
                const unsigned index = Memory::unitsToIndex(oldUnits);
                if (index != Memory::unitsToIndex(oldUnits + 1)) {
                    const Ref block = memory_.allocUnits(index + 1);
                    if (block == 0) {
                        restoreModel(c);
                        return;
                    }
                    const Ref old = stats(c);
                    memory_.copyUnits(block, old, oldUnits);
                    memory_.insertNode(old, index);
                    setStats(c, block);
                }
            }
            setSummFreq(c, summFreq(c) + (3 * ns1 + 1 < ns ? 1 : 0));
        } else {
            const Ref list = memory_.allocUnits(0);
            if (list == 0) {
                restoreModel(c);
                return;
            }
            storeState(list, loadState(oneState(c)));
            setStats(c, list);
            if (freq(list) < kMaxFreq / 4 - 1) setFreq(list, freq(list) << 1);
            else setFreq(list, kMaxFreq - 4);
            setSummFreq(c, freq(list) + initEsc_ + (ns > 2 ? 1 : 0));
        }

        std::uint32_t cf = 2 * fFreq * (summFreq(c) + 6);
        const std::uint32_t sf = s0 + summFreq(c);
        if (cf < 6 * sf) {
            cf = 1 + (cf > sf ? 1 : 0) + (cf >= 4 * sf ? 1 : 0);
            setSummFreq(c, summFreq(c) + 4);
        } else {
            cf = 4 + (cf > 9 * sf ? 1 : 0) + (cf > 12 * sf ? 1 : 0) + (cf > 15 * sf ? 1 : 0);
            setSummFreq(c, summFreq(c) + cf);
        }
        const Ref added = stateAt(stats(c), ns1 + 1);
        setSuccessor(added, newSuccessor);
        memory_.setU8(added, fSymbol);
        setFreq(added, cf);
        setFlags(c, flags(c) | flag);
        setNumStats(c, ns1 + 1);
    }
    maxContext_ = minContext_ = fSuccessor;
}

// Creates the chain of one-symbol contexts that continue the found symbol's contexts up to
// the current order. Returns 0 when memory runs out.
Ref Model::createSuccessors(bool skip, Ref s1, Ref c) {
    const Ref upBranch = successor(foundState_);
    const unsigned fSymbol = symbol(foundState_);
    std::array<Ref, kMaxOrder + 1> pending{};
    unsigned count = 0;
    if (!skip) pending[count++] = foundState_;

    while (suffix(c) != 0) {
        c = suffix(c);
        Ref s;
        if (s1 != 0) {
            s = s1;
            s1 = 0;
        } else if (numStats(c) != 0) {
            s = findState(c, fSymbol);
            if (freq(s) < kMaxFreq - 9) {
                setFreq(s, freq(s) + 1);
                setSummFreq(c, summFreq(c) + 1);
            }
        } else {
            s = oneState(c);
            setFreq(s, freq(s) + ((numStats(suffix(c)) == 0 && freq(s) < 24) ? 1 : 0));
        }
        if (successor(s) != upBranch) {
            c = successor(s);
            if (count == 0) return c;
            break;
        }
        if (count == pending.size()) inconsistent("context chain too long");
        pending[count++] = s;
    }
    if (count == 0) inconsistent("no context to extend");

    StateValue up;
    up.symbol = memory_.u8(upBranch);
    up.successor = upBranch + 1;
    const unsigned newFlags = (fSymbol >= 0x40 ? 0x10 : 0) + highFlag(up.symbol);
    if (numStats(c) == 0) {
        up.freq = static_cast<std::uint8_t>(freq(oneState(c)));
    } else {
        const Ref s = findState(c, up.symbol);
        const std::uint32_t cf = freq(s) - 1;
        const std::uint32_t s0 = summFreq(c) - numStats(c) - cf;
        if (s0 == 0) inconsistent("context frequencies");
        up.freq = static_cast<std::uint8_t>(1 + ((2 * cf <= s0) ? (5 * cf > s0 ? 1 : 0) : ((cf + 2 * s0 - 3) / s0)));
    }

    do {
        const Ref child = memory_.allocContext();
        if (child == 0) return 0;
        setNumStats(child, 0);
        setFlags(child, newFlags);
        storeState(oneState(child), up);
        setSuffix(child, c);
        setSuccessor(pending[--count], child);
        c = child;
    } while (count != 0);
    return c;
}

// The found symbol's context has no successor: walks to shorter contexts, pointing them at
// the text, until one has a successor to continue from.
Ref Model::reduceOrder(Ref s1, Ref c) {
    const Ref start = c;
    const Ref upBranch = memory_.text();
    const unsigned fSymbol = symbol(foundState_);
    setSuccessor(foundState_, upBranch);
    ++orderFall_;

    Ref s = 0;
    for (;;) {
        if (s1 != 0) {
            c = suffix(c);
            s = s1;
            s1 = 0;
        } else {
            if (suffix(c) == 0) return c;
            c = suffix(c);
            if (numStats(c) != 0) {
                s = findState(c, fSymbol);
                if (freq(s) < kMaxFreq - 9) {
                    setFreq(s, freq(s) + 2);
                    setSummFreq(c, summFreq(c) + 2);
                }
            } else {
                s = oneState(c);
                setFreq(s, freq(s) + (freq(s) < 32 ? 1 : 0));
            }
        }
        if (successor(s) != 0) break;
        setSuccessor(s, upBranch);
        ++orderFall_;
    }

    if (successor(s) <= upBranch) {
        const Ref saved = foundState_;
        foundState_ = s;
        setSuccessor(s, createSuccessors(false, 0, c));
        foundState_ = saved;
    }
    if (orderFall_ == 1 && start == maxContext_) {
        setSuccessor(foundState_, successor(s));
        memory_.setText(memory_.text() - 1);
    }
    return successor(s);
}

// Halves the frequencies of the current context (the found symbol first), drops symbols
// whose frequency reaches zero, and keeps the list sorted by frequency.
void Model::rescale() {
    const Ref mc = minContext_;
    const Ref first = stats(mc);
    Ref s = foundState_;
    if (s != first) {
        const StateValue found = loadState(s);
        for (; s != first; s -= kStateSize) storeState(s, loadState(s - kStateSize));
        storeState(s, found);
    }
    std::uint32_t escFreq = summFreq(mc) - freq(s);
    setFreq(s, freq(s) + 4);
    const unsigned adder = orderFall_ != 0 ? 1 : 0;
    setFreq(s, (freq(s) + adder) >> 1);
    std::uint32_t sumFreq = freq(s);

    unsigned i = numStats(mc);
    do {
        s += kStateSize;
        escFreq -= freq(s);
        setFreq(s, (freq(s) + adder) >> 1);
        sumFreq += freq(s);
        if (freq(s) > freq(s - kStateSize)) {
            const StateValue moving = loadState(s);
            Ref to = s;
            do {
                storeState(to, loadState(to - kStateSize));
                to -= kStateSize;
            } while (to != first && moving.freq > freq(to - kStateSize));
            storeState(to, moving);
        }
    } while (--i != 0);

    if (freq(s) == 0) {
        const unsigned oldNumStats = numStats(mc);
        i = 0;
        do {
            ++i;
            s -= kStateSize;
        } while (freq(s) == 0);
        escFreq += i;
        setNumStats(mc, numStats(mc) - i);
        if (numStats(mc) == 0) {
            StateValue only = loadState(first);
            if (escFreq == 0) inconsistent("escape frequency");
            only.freq = static_cast<std::uint8_t>((2 * only.freq + escFreq - 1) / escFreq);
            if (only.freq > kMaxFreq / 3) only.freq = kMaxFreq / 3;
            memory_.insertNode(first, Memory::unitsToIndex((oldNumStats + 2) >> 1));
            setFlags(mc, (flags(mc) & 0x10) + highFlag(only.symbol));
            foundState_ = oneState(mc);
            storeState(foundState_, only);
            return;
        }
        const unsigned oldUnits = (oldNumStats + 2) >> 1;
        const unsigned newUnits = (numStats(mc) + 2) >> 1;
        if (oldUnits != newUnits) setStats(mc, memory_.shrinkUnits(first, oldUnits, newUnits));
        unsigned f = flags(mc) & ~0x08u;
        for (unsigned k = 0; k <= numStats(mc); ++k) f |= highFlag(symbol(stateAt(stats(mc), k)));
        setFlags(mc, f);
    }
    setSummFreq(mc, sumFreq + escFreq - (escFreq >> 1));
    setFlags(mc, flags(mc) | 0x04);
    foundState_ = stats(mc);
}

// Shrinks a context's list to its symbol count and, with scale 1, halves its frequencies.
void Model::refresh(Ref c, unsigned oldUnits, unsigned scale) {
    unsigned i = numStats(c);
    Ref s = memory_.shrinkUnits(stats(c), oldUnits, (i + 2) >> 1);
    setStats(c, s);
    unsigned newFlags = (flags(c) & (0x10 + 0x04 * scale)) + highFlag(symbol(s));
    std::uint32_t escFreq = summFreq(c) - freq(s);
    setFreq(s, (freq(s) + scale) >> scale);
    std::uint32_t sumFreq = freq(s);
    do {
        s += kStateSize;
        escFreq -= freq(s);
        setFreq(s, (freq(s) + scale) >> scale);
        sumFreq += freq(s);
        newFlags |= highFlag(symbol(s));
    } while (--i != 0);
    setSummFreq(c, sumFreq + ((escFreq + scale) >> scale));
    setFlags(c, newFlags);
}

// ---- Memory exhaustion ----

// Undoes the half-made update from maxContext_ down to c1, then restarts the model or prunes
// it, as the entry's header asks.
void Model::restoreModel(Ref c1) {
    memory_.setText(memory_.textStart());
    Ref c = maxContext_;
    for (; c != c1; c = suffix(c)) {
        if (c == 0) inconsistent("context chain");
        setNumStats(c, numStats(c) - 1);
        if (numStats(c) == 0) {
            const Ref s = stats(c);
            setFlags(c, (flags(c) & 0x10) + highFlag(symbol(s)));
            storeState(oneState(c), loadState(s));
            memory_.freeSingleUnit(s);
            setFreq(oneState(c), (freq(oneState(c)) + 11) >> 3);
        } else {
            refresh(c, (numStats(c) + 3) >> 1, 0);
        }
    }
    for (; c != minContext_; c = suffix(c)) {
        if (c == 0) inconsistent("context chain");
        if (numStats(c) == 0) {
            setFreq(oneState(c), freq(oneState(c)) - (freq(oneState(c)) >> 1));
        } else {
            setSummFreq(c, summFreq(c) + 4);
            if (summFreq(c) > 128 + 4 * numStats(c)) refresh(c, (numStats(c) + 2) >> 1, 1);
        }
    }

    if (restoration_ == Restoration::Restart || memory_.usedMemory() < (memory_.size() >> 1)) {
        restart();
    } else {
        while (suffix(maxContext_) != 0) maxContext_ = suffix(maxContext_);
        do {
            cutOff(maxContext_, 0);
            memory_.expandTextArea();
        } while (memory_.usedMemory() > 3 * (memory_.size() >> 2));
        memory_.setGlueCount(0);
        orderFall_ = maxOrder_;
    }
    minContext_ = maxContext_;
}

// Prunes the context tree below c: drops successors into the text, frees contexts that end
// up empty (one-symbol contexts above order 9 without successor too), moves lists towards
// the bottom of the unit area. Returns c, or 0 when c itself was freed.
Ref Model::cutOff(Ref c, unsigned order) {
    if (numStats(c) == 0) {
        const Ref s = oneState(c);
        if (successor(s) >= memory_.unitsStart()) {
            setSuccessor(s, order < maxOrder_ ? cutOff(successor(s), order + 1) : 0);
            if (successor(s) != 0 || order <= 9) return c;
        }
        memory_.freeSingleUnit(c);
        return 0;
    }

    const unsigned units = (numStats(c) + 2) >> 1;
    setStats(c, memory_.moveUnitsUp(stats(c), units));
    int kept = static_cast<int>(numStats(c));
    for (int i = kept; i >= 0; --i) {
        const Ref s = stateAt(stats(c), static_cast<unsigned>(i));
        if (successor(s) < memory_.unitsStart()) {
            const Ref last = stateAt(stats(c), static_cast<unsigned>(kept--));
            setSuccessor(s, 0);
            swapStates(s, last);
        } else if (order < maxOrder_) {
            setSuccessor(s, cutOff(successor(s), order + 1));
        } else {
            setSuccessor(s, 0);
        }
    }

    if (kept != static_cast<int>(numStats(c)) && order != 0) {
        setNumStats(c, static_cast<unsigned>(kept) & 0xFF);
        const Ref s = stats(c);
        if (kept < 0) {
            memory_.freeUnits(s, units);
            memory_.freeSingleUnit(c);
            return 0;
        }
        if (kept == 0) {
            setFlags(c, (flags(c) & 0x10) + highFlag(symbol(s)));
            storeState(oneState(c), loadState(s));
            memory_.freeUnits(s, units);
            setFreq(oneState(c), (freq(oneState(c)) + 11) >> 3);
        } else {
            refresh(c, units, summFreq(c) > 16 * static_cast<unsigned>(kept) ? 1 : 0);
        }
    }
    return c;
}

}  // namespace tessaro::archives::ppmd
