// Fuzz target: the ZIP entry decoder for Shrink (method 1).
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(1, data, size);
}
