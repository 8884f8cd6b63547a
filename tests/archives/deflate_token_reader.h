// A slow, plain reader of Deflate streams for tests: lists each block's form and symbols, so
// tests can check which blocks and matches the encoder chose. Written straight from RFC 1951
// (bit by bit, code lookup by search), separate from the production decoder.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tessaro::archives::testing {

struct Token {
    unsigned length = 0;  // 0 for a literal
    unsigned distance = 0;
    std::uint8_t literal = 0;
};

struct ParsedBlock {
    unsigned type = 0;  // 0 stored, 1 fixed, 2 dynamic
    bool final = false;
    std::vector<unsigned> storedLengths;  // one entry per stored block
    std::vector<Token> tokens;
};

class TokenReader {
public:
    explicit TokenReader(std::span<const std::uint8_t> data) : data_(data) {}

    // Every block; consecutive stored blocks are kept apart.
    std::vector<ParsedBlock> blocks() {
        std::vector<ParsedBlock> result;
        bool final = false;
        while (!final) {
            ParsedBlock b;
            b.final = final = bits(1) != 0;
            b.type = bits(2);
            if (b.type == 0) {
                bitPos_ = (bitPos_ + 7) & ~std::size_t{7};
                const unsigned len = bits(16);
                if ((bits(16) ^ 0xFFFF) != len) throw std::runtime_error("LEN/NLEN");
                bitPos_ += 8 * std::size_t{len};
                b.storedLengths.push_back(len);
            } else if (b.type == 1) {
                std::vector<unsigned> lit(288), dist(30, 5);
                for (unsigned i = 0; i < 288; ++i) lit[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
                readSymbols(lit, dist, b);
            } else if (b.type == 2) {
                const unsigned hlit = bits(5) + 257, hdist = bits(5) + 1, hclen = bits(4) + 4;
                static const unsigned order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
                std::vector<unsigned> cl(19);
                for (unsigned i = 0; i < hclen; ++i) cl[order[i]] = bits(3);
                const auto clCode = codes(cl);
                std::vector<unsigned> lens;
                while (lens.size() < hlit + hdist) {
                    const unsigned s = decode(clCode);
                    if (s < 16) lens.push_back(s);
                    else if (s == 16) lens.insert(lens.end(), 3 + bits(2), lens.back());
                    else if (s == 17) lens.insert(lens.end(), 3 + bits(3), 0);
                    else lens.insert(lens.end(), 11 + bits(7), 0);
                }
                readSymbols({lens.begin(), lens.begin() + hlit}, {lens.begin() + hlit, lens.begin() + hlit + hdist}, b);
            } else {
                throw std::runtime_error("block type 3");
            }
            result.push_back(std::move(b));
        }
        return result;
    }

private:
    using CodeMap = std::map<std::pair<unsigned, unsigned>, unsigned>;  // (length, code) → symbol

    unsigned bits(unsigned n) {
        unsigned v = 0;
        for (unsigned i = 0; i < n; ++i, ++bitPos_) {
            if (bitPos_ / 8 >= data_.size()) throw std::runtime_error("end of data");
            v |= ((data_[bitPos_ / 8] >> (bitPos_ % 8)) & 1u) << i;
        }
        return v;
    }

    static CodeMap codes(const std::vector<unsigned>& lengths) {
        CodeMap m;
        unsigned code = 0;
        for (unsigned len = 1; len <= 15; ++len) {
            for (unsigned s = 0; s < lengths.size(); ++s)
                if (lengths[s] == len) m[{len, code++}] = s;
            code <<= 1;
        }
        return m;
    }

    unsigned decode(const CodeMap& m) {
        unsigned code = 0;
        for (unsigned len = 1; len <= 15; ++len) {
            code = (code << 1) | bits(1);
            const auto it = m.find({len, code});
            if (it != m.end()) return it->second;
        }
        throw std::runtime_error("no such code");
    }

    void readSymbols(const std::vector<unsigned>& litLens, const std::vector<unsigned>& distLens, ParsedBlock& b) {
        static const unsigned lbase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const unsigned lextra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        const auto lit = codes(litLens), dist = codes(distLens);
        for (;;) {
            const unsigned s = decode(lit);
            if (s < 256) {
                b.tokens.push_back({0, 0, static_cast<std::uint8_t>(s)});
                continue;
            }
            if (s == 256) return;
            Token t;
            t.length = lbase[s - 257] + bits(lextra[s - 257]);
            const unsigned d = decode(dist);
            const unsigned extra = d < 4 ? 0 : d / 2 - 1;
            const unsigned base = d < 4 ? d + 1 : ((2u + (d & 1)) << extra) + 1;
            t.distance = base + bits(extra);
            b.tokens.push_back(t);
        }
    }

    std::span<const std::uint8_t> data_;
    std::size_t bitPos_ = 0;
};

}  // namespace tessaro::archives::testing
