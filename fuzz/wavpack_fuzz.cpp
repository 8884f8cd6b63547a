// Fuzz target: the ZIP entry decoder for WavPack (method 97), through libwavpack's stream reader, back to the original file.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(97, data, size);
}
