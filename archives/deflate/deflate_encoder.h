// DeflateEncoder: turns a stream of bytes into raw Deflate data (RFC 1951, no zlib or gzip
// wrapper) and returns the CRC-32 of the bytes it read.
//
// The encoder's choices are fixed, so equal input and settings always give equal output:
// hash-chain match search with a per-search candidate budget, lazy evaluation of one byte,
// blocks that end by a size-and-statistics rule, and for every block the smallest of stored,
// fixed and dynamic form. Memory is fixed whatever the input size (a 64 KiB input buffer, the
// hash chains, a block of at most 32 K symbols, a 64 KiB output buffer); the source is read
// in one pass except that stored blocks take their bytes again from the source when they have
// left the window.
//
// One object may encode any number of streams, one after another; each call works on a fresh
// copy of the settings. encodeFrame() serves cabinet MSZIP frames: it compresses one chunk
// with the previous input as history, so matches may reach back into it, and ends the frame
// with a final block on a byte boundary.
#pragma once

#include "archives/deflate/deflate_settings.h"
#include "archives/io/byte_stream.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tessaro::archives {

class DeflateEncoder {
public:
    DeflateEncoder();
    ~DeflateEncoder();
    DeflateEncoder(const DeflateEncoder&) = delete;
    DeflateEncoder& operator=(const DeflateEncoder&) = delete;

    // Reads the source from its current position to its end and appends one Deflate stream to
    // the sink. Returns the CRC-32 of the bytes read (Adler-32 with option bit 32). Stored
    // blocks seek the source back to re-read their bytes when these have left the window.
    // Read and write errors of source and sink pass through unchanged.
    std::uint32_t encode(ByteSource& source, ByteSink& sink, const DeflateSettings& settings);

    // Compresses `chunk` as one complete Deflate stream whose matches may reach into the last
    // 32 KiB of `history` (the input that preceded the chunk). Returns the chunk's checksum.
    std::uint32_t encodeFrame(std::span<const std::uint8_t> history, std::span<const std::uint8_t> chunk,
                              ByteSink& sink, const DeflateSettings& settings);

    struct State;  // the working buffers, opaque

private:
    std::unique_ptr<State> state_;
};

// One-call form of DeflateEncoder::encode.
std::uint32_t deflateStream(ByteSource& source, ByteSink& sink, const DeflateSettings& settings);

}  // namespace tessaro::archives
