// ZIP method 0: the entry's bytes are its data. They move in pieces of at most 1 MiB, so a
// stored entry of any size is copied in bounded memory.
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>

namespace tessaro::archives {

// Copies exactly `size` bytes; throws DecodeError when the source ends first.
void copyStored(ByteSource& source, ByteSink& sink, std::uint64_t size);

}  // namespace tessaro::archives
