// ZIP method 12: a bzip2 stream, decoded by libbz2's decompression stream.
//
// The entry's data is one bzip2 stream. We feed it to libbz2 in the pieces CodedInput reads
// and pass its output on until the uncompressed size has been written; output beyond that
// size is dropped, and a stream that ends (or whose data runs out) before it is a failure of
// the entry. libbz2's memory use is fixed by the block size (at most about 3.6 MB).
#include "archives/codecs/bzip2_decoder.h"

#include "archives/codecs/coded_input.h"

#include <bzlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "bzip2";

// Owns a libbz2 decompression stream.
class Bzip2Stream {
public:
    Bzip2Stream() {
        std::memset(&stream_, 0, sizeof stream_);
        if (BZ2_bzDecompressInit(&stream_, 0, 0) != BZ_OK) throw DecodeError("out of memory (bzip2, start of stream)");
    }
    ~Bzip2Stream() { BZ2_bzDecompressEnd(&stream_); }
    Bzip2Stream(const Bzip2Stream&) = delete;
    Bzip2Stream& operator=(const Bzip2Stream&) = delete;

    bz_stream* operator->() { return &stream_; }
    bz_stream* get() { return &stream_; }

private:
    bz_stream stream_;
};

std::string_view causeOf(int status) {
    switch (status) {
        case BZ_DATA_ERROR_MAGIC: return "not a bzip2 stream";
        case BZ_DATA_ERROR: return "corrupt data";
        case BZ_MEM_ERROR: return "out of memory";
        default: return "decoder failure";
    }
}

}  // namespace

void decodeBzip2(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    Bzip2Stream stream;
    std::array<std::uint8_t, 64 * 1024> buffer{};
    std::uint64_t left = coding.uncompressedSize;

    while (left > 0) {
        // With the input used up, libbz2 may still hold decoded bytes; only a call that
        // yields nothing then means the data ended early.
        const auto piece = input.available();
        stream->next_in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(piece.data()));
        stream->avail_in = static_cast<unsigned>(piece.size());
        stream->next_out = reinterpret_cast<char*>(buffer.data());
        stream->avail_out = static_cast<unsigned>(buffer.size());

        const int status = BZ2_bzDecompress(stream.get());
        input.consume(piece.size() - stream->avail_in);
        if (status != BZ_OK && status != BZ_STREAM_END) throwDecodeError(kMethod, causeOf(status), "block decoding");

        const size_t produced = buffer.size() - stream->avail_out;
        if (piece.empty() && produced == 0 && status != BZ_STREAM_END) input.endsEarly("stream data");
        const size_t taken = static_cast<size_t>(std::min<std::uint64_t>(produced, left));
        if (taken > 0) out.write(std::span<const std::uint8_t>(buffer).first(taken));
        left -= taken;
        if (status == BZ_STREAM_END && left > 0) throwDecodeError(kMethod, "stream ends before the entry's size", "end of stream");
    }
}

}  // namespace tessaro::archives
