// The writer's one call into the Deflate encoder, and the flag bits of its presets.
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>

namespace tessaro::archives {

// DeflationOption: which Deflate preset compressed entries get.
enum class DeflationOption { doNormal, doMaximum, doFast, doSuperFast };

namespace zip {

// General-purpose flag bits 1 and 2 that announce the preset: normal none, maximum bit 1,
// fast bit 2, super fast both.
std::uint16_t deflationFlags(DeflationOption option);

// Deflates `source` from its position to its end into `out` with preset "0" and then the
// option's letter, as the writer does for every file; returns the CRC-32 of the bytes read.
std::uint32_t deflateEntry(ByteSource& source, ByteSink& out, DeflationOption option);

}  // namespace zip
}  // namespace tessaro::archives
