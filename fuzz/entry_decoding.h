// The input layout shared by the targets of the ZIP method decoders.
//
// Bytes 0-1 are the entry's general-purpose flags, bytes 2-5 its declared uncompressed size
// (little-endian, taken modulo 4 MiB so that a run spends its time decoding, not writing),
// the rest its compressed data. The entry goes through the method dispatch the extractor
// uses, into a sink that refuses a byte past the declared size; a decoder that returns must
// have written exactly that size.
#pragma once

#include "archives/codecs/entry_decoder.h"
#include "fuzz/fuzz_support.h"

namespace tessaro::fuzz {

inline int decodeEntry(std::uint16_t method, const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    archives::EntryCoding coding;
    coding.method = method;
    coding.flags = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    coding.uncompressedSize =
        (static_cast<std::uint32_t>(data[2]) | data[3] << 8 | data[4] << 16 | static_cast<std::uint32_t>(data[5]) << 24) %
        (4u << 20);
    coding.compressedSize = size - 6;
    archives::MemorySource source(std::span<const std::uint8_t>(data + 6, size - 6));
    BoundedSink sink(coding.uncompressedSize);
    expectingErrors([&] {
        archives::decodeEntryData(coding, source, sink);
        FUZZ_CHECK(sink.count() == coding.uncompressedSize);
    });
    return 0;
}

}  // namespace tessaro::fuzz
