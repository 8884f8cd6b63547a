// Fuzz target: the ZIP entry decoder for bzip2 (method 12), through libbz2's stream.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(12, data, size);
}
