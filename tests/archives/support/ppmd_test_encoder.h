// Test-only: a PPMd variant I encoder that drives our own model, so that streams with either
// restoration method (7-Zip writes only "restart") can be handed to 7-Zip's decoder.
#pragma once

#include "archives/codecs/ppmd_model.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaro::archives::ppmd {

class EncoderForTests {
public:
    // The entry data of method 98: the two-byte header, then the range-coded symbols.
    static std::string encode(std::string_view data, unsigned order, unsigned memoryMiB, Restoration restoration) {
        Model model(order, restoration, memoryMiB << 20);
        EncoderForTests encoder;
        for (const char c : data) encoder.encodeSymbol(model, static_cast<std::uint8_t>(c));
        encoder.encodeSymbol(model, kEndMarker);  // 7-Zip checks for it after the data
        for (int i = 0; i < 4; ++i) encoder.shiftOut();
        const unsigned header = (order - 1) | ((memoryMiB - 1) << 4) | (static_cast<unsigned>(restoration) << 12);
        return std::string{static_cast<char>(header & 0xFF), static_cast<char>(header >> 8)} + encoder.out_;
    }

private:
    static constexpr unsigned kEndMarker = 256;  // an escape out of the order-0 context

    void shiftOut() {
        out_.push_back(static_cast<char>(low_ >> 24));
        range_ <<= 8;
        low_ <<= 8;
    }
    void normalize() {
        for (;;) {
            if ((low_ ^ (low_ + range_)) >= (1u << 24)) {
                if (range_ >= (1u << 15)) return;
                range_ = (0 - low_) & ((1u << 15) - 1);
            }
            shiftOut();
        }
    }
    void encode(std::uint32_t start, std::uint32_t size, std::uint32_t total) {
        range_ /= total;
        low_ += start * range_;
        range_ *= size;
        normalize();
    }
    void encodeBinary(std::uint32_t start, std::uint32_t size) {
        range_ >>= 14;
        low_ += start * range_;
        range_ *= size;
        normalize();
    }

    // Mirrors Model::decodeSymbol step by step.
    void encodeSymbol(Model& m, unsigned sym) {
        const Ref mc = m.minContext_;
        if (m.numStats(mc) != 0) {
            Ref s = m.stats(mc);
            if (m.symbol(s) == sym) {
                encode(0, m.freq(s), m.summFreq(mc));
                m.foundState_ = s;
                m.updateFirst();
                return;
            }
            m.prevSuccess_ = 0;
            std::uint32_t below = m.freq(s);
            for (unsigned i = 0; i < m.numStats(mc); ++i) {
                s += Model::kStateSize;
                if (m.symbol(s) == sym) {
                    encode(below, m.freq(s), m.summFreq(mc));
                    m.foundState_ = s;
                    m.updateOther();
                    return;
                }
                below += m.freq(s);
            }
            encode(below, m.summFreq(mc) - below, m.summFreq(mc));
            m.masked_.fill(false);
            for (unsigned i = 0; i <= m.numStats(mc); ++i) m.masked_[m.symbol(Model::stateAt(m.stats(mc), i))] = true;
        } else {
            std::uint16_t& probability = m.binaryProbability();
            const Ref s = Model::oneState(mc);
            const unsigned mean = (probability + 32u) >> 7;
            if (m.symbol(s) == sym) {
                encodeBinary(0, probability);
                probability = static_cast<std::uint16_t>(probability + 128 - mean);
                m.foundState_ = s;
                m.updateBinary();
                return;
            }
            encodeBinary(probability, (1u << 14) - probability);
            probability = static_cast<std::uint16_t>(probability - mean);
            static constexpr std::uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};
            m.initEsc_ = kExpEscape[probability >> 10];
            m.masked_.fill(false);
            m.masked_[m.symbol(s)] = true;
            m.prevSuccess_ = 0;
        }
        for (;;) {
            const unsigned numMasked = m.numStats(m.minContext_);
            do {
                ++m.orderFall_;
                if (m.suffix(m.minContext_) == 0) {
                    if (sym == kEndMarker) return;
                    throw std::logic_error("symbol not in the order-0 context");
                }
                m.minContext_ = m.suffix(m.minContext_);
            } while (m.numStats(m.minContext_) == numMasked);
            const Ref c = m.minContext_;
            std::uint32_t total = 0, below = 0;
            Ref found = 0;
            for (unsigned i = 0; i <= m.numStats(c); ++i) {
                const Ref st = Model::stateAt(m.stats(c), i);
                if (m.masked_[m.symbol(st)]) continue;
                if (m.symbol(st) == sym) {
                    found = st;
                    below = total;
                }
                total += m.freq(st);
            }
            std::uint32_t escFreq = 0;
            Model::See& see = m.escapeEstimator(numMasked, escFreq);
            if (found != 0) {
                encode(below, m.freq(found), total + escFreq);
                if (see.shift < 7 && --see.count == 0) {
                    see.summ = static_cast<std::uint16_t>(see.summ << 1);
                    see.count = static_cast<std::uint8_t>(3u << see.shift++);
                }
                m.foundState_ = found;
                m.updateAfterEscape();
                return;
            }
            encode(total, escFreq, total + escFreq);
            see.summ = static_cast<std::uint16_t>(see.summ + total + escFreq);
            for (unsigned i = 0; i <= m.numStats(c); ++i) m.masked_[m.symbol(Model::stateAt(m.stats(c), i))] = true;
        }
    }

    std::uint32_t low_ = 0;
    std::uint32_t range_ = 0xFFFFFFFF;
    std::string out_;
};

}  // namespace tessaro::archives::ppmd
