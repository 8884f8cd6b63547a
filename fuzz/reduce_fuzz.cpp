// Fuzz target: the ZIP entry decoder for Reduce (methods 2 to 5): bits 2-3 of byte 0 pick the compression factor.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(static_cast<std::uint16_t>(2 + (size > 0 ? (data[0] >> 2) & 3 : 0)), data, size);
}
