// Decoding one ZIP entry's data by its compression method.
//
// The extractor hands over the entry's compressed bytes as a source positioned at the start
// of its data and a sink for the output; the decoder writes exactly the uncompressed size
// (never more) and throws DecodeError for corrupt or truncated data and
// UnsupportedMethodError for a method no decoder handles.
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>

namespace tessaro::archives {

struct EntryCoding {
    std::uint16_t method = 0;  // taken modulo 128
    std::uint16_t flags = 0;   // general-purpose flags (Implode reads bits 1 and 2)
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
};

bool isSupportedMethod(std::uint16_t method);

void decodeEntryData(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
