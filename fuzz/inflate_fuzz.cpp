// Fuzz target: the ZIP entry decoder for Deflate (method 8) and Deflate64 (method 9): the low bit of byte 0 picks Deflate64.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(static_cast<std::uint16_t>(8 + (size > 0 ? data[0] & 1 : 0)), data, size);
}
