// The memory of a PPMd variant I model: one block of the size the entry's header names,
// holding the text of recent symbols at its bottom and 12-byte units (contexts and their
// symbol lists) above, with the model's own sub-allocator.
//
// PPMd's output depends on the exact moment the model runs out of memory (it then restarts
// or prunes itself), so this allocator has to hand out, free, merge and split units exactly
// the way the compressor's did: lists of free blocks for 38 block sizes (1-4, 6-12 by 2,
// 15-24 by 3, 28-128 by 4 units), contexts taken from the top, symbol lists from the bottom of
// the unit area, the text area given up from its top when nothing else is left, and free
// neighbours merged every 8192 fallbacks. Everything in the block is addressed by offsets
// (Ref); 0 means "none". Every access goes through the bounds-checked accessors below, so
// not even a flaw in the model can reach outside the block.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tessaro::archives::ppmd {

using Ref = std::uint32_t;

inline constexpr unsigned kUnitSize = 12;
inline constexpr unsigned kIndexCount = 38;

class Memory {
public:
    explicit Memory(std::uint32_t size);

    // Bounds-checked access to the block.
    std::uint8_t u8(Ref at) const { return bytes_[check(at, 1)]; }
    void setU8(Ref at, unsigned value) { bytes_[check(at, 1)] = static_cast<std::uint8_t>(value); }
    std::uint16_t u16(Ref at) const {
        std::uint16_t v;
        std::memcpy(&v, &bytes_[check(at, 2)], 2);
        return v;
    }
    void setU16(Ref at, unsigned value) {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(&bytes_[check(at, 2)], &v, 2);
    }
    std::uint32_t u32(Ref at) const {
        std::uint32_t v;
        std::memcpy(&v, &bytes_[check(at, 4)], 4);
        return v;
    }
    void setU32(Ref at, std::uint32_t value) { std::memcpy(&bytes_[check(at, 4)], &value, 4); }
    void copyUnits(Ref to, Ref from, unsigned units);

    // Layout.
    Ref text() const { return text_; }
    void setText(Ref at) { text_ = at; }
    Ref textStart() const { return kAlign; }
    Ref unitsStart() const { return unitsStart_; }
    std::uint32_t size() const { return size_; }
    void setGlueCount(std::uint32_t count) { glueCount_ = count; }

    // Empties the block: no text, no units; returns nothing allocated.
    void reset();
    // The first allocations of a fresh model: one unit from the top, `units` from the bottom.
    Ref takeTopUnit();
    Ref takeBottomUnits(unsigned units);

    // Allocation by size index; 0 when memory is exhausted.
    Ref allocUnits(unsigned index);
    Ref allocContext();
    Ref shrinkUnits(Ref old, unsigned oldUnits, unsigned newUnits);
    Ref moveUnitsUp(Ref old, unsigned units);
    void insertNode(Ref node, unsigned index);
    void freeUnits(Ref block, unsigned units) { insertNode(block, unitsToIndex(units)); }
    void freeSingleUnit(Ref unit);
    void expandTextArea();
    std::uint32_t usedMemory() const;

    static unsigned indexToUnits(unsigned index) { return kIndexToUnits[index]; }
    static unsigned unitsToIndex(unsigned units) { return kUnitsToIndex[units - 1]; }

private:
    static constexpr Ref kAlign = 4;  // offset of the text area; keeps 0 free to mean "none"
    static const std::array<std::uint8_t, kIndexCount> kIndexToUnits;
    static const std::array<std::uint8_t, 128> kUnitsToIndex;

    // The one bounds check of the model's memory; a failure means a flaw in the model.
    size_t check(Ref at, size_t length) const {
        if (at > length_ || length_ - at < length) [[unlikely]] outOfBounds();
        return at;
    }
    [[noreturn]] static void outOfBounds();
    Ref allocUnitsRare(unsigned index);
    Ref removeNode(unsigned index);
    void splitBlock(Ref block, unsigned oldIndex, unsigned newIndex);
    void glueFreeBlocks();

    // The block comes zeroed from calloc: a large one is pages the system maps on first touch,
    // so a model that uses little of the memory its header names costs little of it.
    struct FreeBlock {
        void operator()(std::uint8_t* block) const { std::free(block); }
    };
    size_t length_;
    std::unique_ptr<std::uint8_t[], FreeBlock> bytes_;
    std::uint32_t size_;
    Ref text_ = 0;
    Ref unitsStart_ = 0;
    Ref loUnit_ = 0;
    Ref hiUnit_ = 0;
    std::uint32_t glueCount_ = 0;
    std::array<Ref, kIndexCount> freeList_{};
    std::array<std::uint32_t, kIndexCount> counts_{};  // blocks in each free list
};

}  // namespace tessaro::archives::ppmd
