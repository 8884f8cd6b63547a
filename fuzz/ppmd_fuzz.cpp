// Fuzz target: the ZIP entry decoder for PPMd variant I revision 1 (method 98): its 2-byte header, then the model.
// Input layout: fuzz/entry_decoding.h.
#include "fuzz/entry_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return tessaro::fuzz::decodeEntry(98, data, size);
}
