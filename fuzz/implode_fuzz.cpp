// Fuzz target: the ZIP entry decoder for Implode (method 6): flag bits 1 and 2 pick the dictionary size and the number of trees.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(6, data, size);
}
