// InflateDecoder: decodes a raw Deflate (ZIP method 8) or Deflate64 (method 9) stream from a
// source into a sink in fixed memory.
//
// Deflate64 differs from Deflate only in its 64 KiB window, length code 285 (base 3 with 16
// extra bits) and distance codes 30 and 31. The decoder works through fixed buffers (a 32 KiB
// input buffer; an output window of 65,794 bytes for Deflate and 163,840 for Deflate64) and
// table-driven Huffman decoding, and stops at the end of the final block.
//
// Corrupt data throws DecodeError with a text that names the cause and the decoding step, for
// example "invalid distance code (dynamic block)". Every table index, copy and repeat is checked
// against its bounds, and every loop consumes input, so no input can make the decoder read or
// write out of bounds or run forever.
#pragma once

#include "archives/io/byte_stream.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace tessaro::archives {

class InflateDecoder {
public:
    enum class Variant { Deflate, Deflate64 };

    explicit InflateDecoder(Variant variant);
    ~InflateDecoder();
    InflateDecoder(const InflateDecoder&) = delete;
    InflateDecoder& operator=(const InflateDecoder&) = delete;

    // Decodes one stream, reading the source from its position. With an expected size the
    // output is exactly that long: a stream that would produce more fails before any byte past
    // the size is written, one that produces less fails at its end. Returns the bytes written.
    std::uint64_t decode(ByteSource& source, ByteSink& sink, std::optional<std::uint64_t> expectedSize = std::nullopt);

    struct Tables;  // the decoding tables, opaque

private:
    Variant variant_;
    std::unique_ptr<Tables> tables_;
};

}  // namespace tessaro::archives
