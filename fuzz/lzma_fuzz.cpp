// Fuzz target: the ZIP entry decoder for LZMA (method 14): the ZIP LZMA header, then liblzma's raw LZMA1 decoder; flag bit 1 says an end marker follows.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(14, data, size);
}
