// ZIP method 1: Shrink, as the ZIP application note describes it.
//
// Shrink is LZW with codes of 9 to 13 bits, read least significant bit first. Codes 0-255
// stand for single bytes, 256 introduces a control code and 257-8191 are strings, each
// stored as (prefix code, last byte). Two things differ from textbook LZW:
//   - the code size grows only when the data says so (256 followed by 1);
//   - when the table is full the compressor sends 256 followed by 2 ("partial clear"): every
//     string that is no other string's prefix is freed, and new strings then take the
//     lowest free codes first.
// The decoder adds the string (previous code, first byte of the current string) after each
// code, as the compressor did one step earlier. A code that is not in the table is valid only
// when it is the very code about to be added (the LZW "KwKwK" case).
//
// Strings are expanded by walking the prefix links backwards into a buffer of 8192 bytes;
// the walk is bounded, so a corrupt table with a loop fails instead of hanging.
#include "archives/codecs/shrink_decoder.h"

#include "archives/codecs/coded_input.h"
#include "archives/codecs/history_output.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "Shrink";
constexpr unsigned kFirstCodeSize = 9;
constexpr unsigned kLastCodeSize = 13;
constexpr unsigned kCodeCount = 1u << kLastCodeSize;
constexpr unsigned kControlCode = 256;
constexpr unsigned kFirstStringCode = 257;
constexpr std::int16_t kUnused = -1;

class ShrinkTable {
public:
    ShrinkTable() {
        prefix_.fill(kUnused);
        for (unsigned c = 0; c < 256; ++c) last_[c] = static_cast<std::uint8_t>(c);
    }

    bool defined(unsigned code) const { return code < 256 || (code >= kFirstStringCode && prefix_[code] != kUnused); }
    bool full() const { return nextFree_ >= kCodeCount; }
    unsigned nextFree() const { return nextFree_; }

    // Writes the string of a defined code to the end of `buffer` and returns where it starts.
    size_t expand(unsigned code, std::array<std::uint8_t, kCodeCount>& buffer, const CodedInput& input) const {
        size_t start = buffer.size();
        for (;;) {
            if (start == 0) input.fail("string loops back on itself", "expanding a code");
            buffer[--start] = last_[code];
            if (code < 256) return start;
            code = static_cast<unsigned>(prefix_[code]);
            if (!defined(code)) input.fail("string refers to a freed code", "expanding a code");
        }
    }

    void add(unsigned prefix, std::uint8_t last) {
        prefix_[nextFree_] = static_cast<std::int16_t>(prefix);
        last_[nextFree_] = last;
        advanceFree();
    }

    // Frees every string code that no other string code uses as its prefix.
    void clearLeaves() {
        std::vector<bool> isPrefix(kCodeCount, false);
        for (unsigned code = kFirstStringCode; code < kCodeCount; ++code)
            if (prefix_[code] != kUnused) isPrefix[static_cast<unsigned>(prefix_[code])] = true;
        for (unsigned code = kFirstStringCode; code < kCodeCount; ++code)
            if (!isPrefix[code]) prefix_[code] = kUnused;
        nextFree_ = kFirstStringCode;
        if (prefix_[nextFree_] != kUnused) advanceFree();
    }

private:
    void advanceFree() {
        do ++nextFree_;
        while (nextFree_ < kCodeCount && prefix_[nextFree_] != kUnused);
    }

    std::array<std::int16_t, kCodeCount> prefix_;
    std::array<std::uint8_t, kCodeCount> last_{};
    unsigned nextFree_ = kFirstStringCode;
};

}  // namespace

void decodeShrink(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    LsbBitReader bits(input);
    HistoryOutput output(out, coding.uncompressedSize);
    auto table = std::make_unique<ShrinkTable>();
    auto previous = std::make_unique<std::array<std::uint8_t, kCodeCount>>();  // previous string at its end
    auto current = std::make_unique<std::array<std::uint8_t, kCodeCount>>();
    size_t previousStart = kCodeCount;  // empty: no code read yet
    unsigned previousCode = 0;
    unsigned codeSize = kFirstCodeSize;

    while (!output.done()) {
        const unsigned code = bits.bits(codeSize, "reading a code");
        if (code == kControlCode) {
            const unsigned control = bits.bits(codeSize, "reading a control code");
            if (control == 1) {
                if (++codeSize > kLastCodeSize) input.fail("code size above 13 bits", "control code");
            } else if (control == 2) {
                table->clearLeaves();
            } else {
                input.fail("unknown control code", "control code");
            }
            continue;
        }

        size_t start;
        if (table->defined(code)) {
            start = table->expand(code, *current, input);
        } else if (code == table->nextFree() && previousStart < kCodeCount) {
            // KwKwK: the previous string followed by its own first byte.
            const size_t length = kCodeCount - previousStart;
            if (length == kCodeCount) input.fail("string too long", "expanding a code");
            start = kCodeCount - length - 1;
            std::copy(previous->begin() + static_cast<std::ptrdiff_t>(previousStart), previous->end(),
                      current->begin() + static_cast<std::ptrdiff_t>(start));
            (*current)[kCodeCount - 1] = (*previous)[previousStart];
        } else {
            input.fail("code not in the table", "reading a code");
        }

        for (size_t i = start; i < kCodeCount && !output.done(); ++i) output.put((*current)[i]);
        if (previousStart < kCodeCount && !table->full()) table->add(previousCode, (*current)[start]);
        std::swap(previous, current);
        previousStart = start;
        previousCode = code;
    }
    output.flush();
}

}  // namespace tessaro::archives
