#include "archives/codecs/ppmd_memory.h"

#include "archives/io/decode_error.h"

#include <new>
#include <stdexcept>

namespace tessaro::archives::ppmd {

namespace {

// A free block starts with this stamp, then the next block of its list and its size in units.
constexpr std::uint32_t kFreeStamp = 0xFFFFFFFF;
constexpr unsigned kNextField = 4;
constexpr unsigned kUnitsField = 8;
constexpr unsigned kGlueInterval = 1u << 13;

constexpr std::uint32_t bytesOf(unsigned units) { return units * kUnitSize; }

constexpr std::array<std::uint8_t, kIndexCount> makeIndexToUnits() {
    std::array<std::uint8_t, kIndexCount> table{};
    unsigned units = 0;
    for (unsigned i = 0; i < kIndexCount; ++i) {
        units += i < 4 ? 1 : i < 8 ? 2 : i < 12 ? 3 : 4;
        table[i] = static_cast<std::uint8_t>(units);
    }
    return table;
}

constexpr std::array<std::uint8_t, 128> makeUnitsToIndex() {
    const auto indexToUnits = makeIndexToUnits();
    std::array<std::uint8_t, 128> table{};
    unsigned index = 0;
    for (unsigned units = 1; units <= 128; ++units) {
        if (indexToUnits[index] < units) ++index;
        table[units - 1] = static_cast<std::uint8_t>(index);
    }
    return table;
}

}  // namespace

const std::array<std::uint8_t, kIndexCount> Memory::kIndexToUnits = makeIndexToUnits();
const std::array<std::uint8_t, 128> Memory::kUnitsToIndex = makeUnitsToIndex();

Memory::Memory(std::uint32_t size)
    : length_(kAlign + static_cast<size_t>(size)),
      bytes_(static_cast<std::uint8_t*>(std::calloc(length_, 1))),
      size_(size) {
    if (!bytes_) throw std::bad_alloc();
    reset();
}

void Memory::outOfBounds() { throw DecodeError("model inconsistency (PPMd, memory access)"); }

void Memory::copyUnits(Ref to, Ref from, unsigned units) {
    const size_t length = bytesOf(units);
    std::memmove(&bytes_[check(to, length)], &bytes_[check(from, length)], length);
}

// ---- Layout ----

void Memory::reset() {
    freeList_.fill(0);
    counts_.fill(0);
    text_ = kAlign;
    hiUnit_ = text_ + size_;
    // The unit area takes 7/8 of the block, rounded down to whole units; the text the rest.
    loUnit_ = unitsStart_ = hiUnit_ - size_ / 8 / kUnitSize * 7 * kUnitSize;
    glueCount_ = 0;
}

Ref Memory::takeTopUnit() {
    hiUnit_ -= kUnitSize;
    return hiUnit_;
}

Ref Memory::takeBottomUnits(unsigned units) {
    const Ref block = loUnit_;
    loUnit_ += bytesOf(units);
    return block;
}

std::uint32_t Memory::usedMemory() const {
    std::uint32_t freeUnits = 0;
    for (unsigned i = 0; i < kIndexCount; ++i) freeUnits += counts_[i] * indexToUnits(i);
    return size_ - (hiUnit_ - loUnit_) - (unitsStart_ - text_) - bytesOf(freeUnits);
}

// ---- Free lists ----

void Memory::insertNode(Ref node, unsigned index) {
    setU32(node, kFreeStamp);
    setU32(node + kNextField, freeList_[index]);
    setU32(node + kUnitsField, indexToUnits(index));
    freeList_[index] = node;
    ++counts_[index];
}

Ref Memory::removeNode(unsigned index) {
    const Ref node = freeList_[index];
    freeList_[index] = u32(node + kNextField);
    --counts_[index];
    return node;
}

// Keeps the first newIndex-sized part of a block and frees the rest as one or two blocks.
void Memory::splitBlock(Ref block, unsigned oldIndex, unsigned newIndex) {
    const unsigned rest = indexToUnits(oldIndex) - indexToUnits(newIndex);
    const Ref tail = block + bytesOf(indexToUnits(newIndex));
    unsigned index = unitsToIndex(rest);
    if (indexToUnits(index) != rest) {
        const unsigned k = indexToUnits(--index);
        insertNode(tail + bytesOf(k), rest - k - 1);
    }
    insertNode(tail, index);
}

// Merges every free block with the free blocks that follow it in memory and sorts the results
// into the lists again. The order of this walk decides which block later allocations get, so
// it follows the lists from the smallest size up, each from its head.
void Memory::glueFreeBlocks() {
    glueCount_ = kGlueInterval;
    counts_.fill(0);
    // A guard stamp at the bottom of the unused middle stops merging there; the top of the
    // block always holds the root context, which stops it at the end.
    if (loUnit_ != hiUnit_) setU32(loUnit_, 0);

    Ref head = 0;
    Ref last = 0;  // last block kept in the chain (0: the chain is empty)
    auto link = [&](Ref next) {
        if (last == 0) head = next;
        else setU32(last + kNextField, next);
    };
    for (unsigned i = 0; i < kIndexCount; ++i) {
        Ref next = freeList_[i];
        freeList_[i] = 0;
        while (next != 0) {
            const Ref node = next;
            if (u32(node + kUnitsField) != 0) {
                link(node);
                last = node;
                for (;;) {
                    const Ref neighbour = node + bytesOf(u32(node + kUnitsField));
                    if (u32(neighbour) != kFreeStamp) break;
                    setU32(node + kUnitsField, u32(node + kUnitsField) + u32(neighbour + kUnitsField));
                    setU32(neighbour + kUnitsField, 0);
                }
            }
            next = u32(node + kNextField);
        }
    }
    link(0);

    for (Ref n = head; n != 0;) {
        Ref node = n;
        n = u32(node + kNextField);
        unsigned units = u32(node + kUnitsField);
        if (units == 0) continue;
        for (; units > 128; units -= 128, node += bytesOf(128)) insertNode(node, kIndexCount - 1);
        unsigned index = unitsToIndex(units);
        if (indexToUnits(index) != units) {
            const unsigned k = indexToUnits(--index);
            insertNode(node + bytesOf(k), units - k - 1);
        }
        insertNode(node, index);
    }
}

// ---- Allocation ----

Ref Memory::allocUnitsRare(unsigned index) {
    if (glueCount_ == 0) {
        glueFreeBlocks();
        if (freeList_[index] != 0) return removeNode(index);
    }
    unsigned i = index;
    do {
        if (++i == kIndexCount) {
            // No larger free block either: give up the top of the text area.
            const std::uint32_t wanted = bytesOf(indexToUnits(index));
            --glueCount_;
            if (unitsStart_ - text_ > wanted) return unitsStart_ -= wanted;
            return 0;
        }
    } while (freeList_[i] == 0);
    const Ref block = removeNode(i);
    splitBlock(block, i, index);
    return block;
}

Ref Memory::allocUnits(unsigned index) {
    if (freeList_[index] != 0) return removeNode(index);
    const std::uint32_t wanted = bytesOf(indexToUnits(index));
    if (wanted <= hiUnit_ - loUnit_) {
        const Ref block = loUnit_;
        loUnit_ += wanted;
        return block;
    }
    return allocUnitsRare(index);
}

Ref Memory::allocContext() {
    if (hiUnit_ != loUnit_) return hiUnit_ -= kUnitSize;
    if (freeList_[0] != 0) return removeNode(0);
    return allocUnitsRare(0);
}

Ref Memory::shrinkUnits(Ref old, unsigned oldUnits, unsigned newUnits) {
    const unsigned oldIndex = unitsToIndex(oldUnits);
    const unsigned newIndex = unitsToIndex(newUnits);
    if (oldIndex == newIndex) return old;
    if (freeList_[newIndex] != 0) {
        const Ref block = removeNode(newIndex);
        copyUnits(block, old, newUnits);
        insertNode(old, oldIndex);
        return block;
    }
    splitBlock(old, oldIndex, newIndex);
    return old;
}

void Memory::freeSingleUnit(Ref unit) {
    if (unit != unitsStart_) insertNode(unit, 0);
    else unitsStart_ += kUnitSize;
}

// Moves a block to a free block lower in memory, when one is near the bottom of the unit
// area, so that pruning leaves the free space where the text area can take it back.
Ref Memory::moveUnitsUp(Ref old, unsigned units) {
    const unsigned index = unitsToIndex(units);
    if (old > unitsStart_ + 16 * 1024 || old > freeList_[index]) return old;
    const Ref block = removeNode(index);
    copyUnits(block, old, units);
    if (old != unitsStart_) insertNode(old, index);
    else unitsStart_ += bytesOf(indexToUnits(index));
    return block;
}

// Gives free blocks at the bottom of the unit area back to the text area.
void Memory::expandTextArea() {
    std::array<std::uint32_t, kIndexCount> taken{};
    if (loUnit_ != hiUnit_) setU32(loUnit_, 0);
    Ref node = unitsStart_;
    while (u32(node) == kFreeStamp) {
        setU32(node, 0);
        ++taken[unitsToIndex(u32(node + kUnitsField))];
        node += bytesOf(u32(node + kUnitsField));
    }
    unitsStart_ = node;

    // Unlink the blocks just taken (their stamp is now 0) from their lists.
    for (unsigned i = 0; i < kIndexCount; ++i) {
        Ref field = 0;  // 0: the list head; else the block whose next field links on
        auto linkOf = [&] { return field == 0 ? freeList_[i] : u32(field + kNextField); };
        auto setLink = [&](Ref value) {
            if (field == 0) freeList_[i] = value;
            else setU32(field + kNextField, value);
        };
        while (taken[i] != 0) {
            Ref block = linkOf();
            while (block != 0 && u32(block) == 0) {
                setLink(u32(block + kNextField));
                block = linkOf();
                --counts_[i];
                if (--taken[i] == 0) break;
            }
            if (block == 0 && taken[i] != 0) throw DecodeError("model inconsistency (PPMd, free lists)");
            field = block;
        }
    }
}

}  // namespace tessaro::archives::ppmd
