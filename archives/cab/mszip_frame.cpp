#include "archives/cab/mszip_frame.h"

#include "archives/cab/cab_records.h"
#include "archives/codecs/decode_error.h"
#include "archives/deflate/deflate_encoder.h"
#include "archives/deflate/deflate_settings.h"

#include <cassert>

namespace tessaro::archives::cab {
namespace {

// "CK", one byte carrying BFINAL=1 and BTYPE=00 (padded to the byte boundary), LEN and NLEN.
constexpr size_t kStoredOverhead = 2 + 1 + 4;

// Appends what the encoder writes to a frame buffer.
class VectorSink final : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
    void write(std::span<const std::uint8_t> data) override { out_.insert(out_.end(), data.begin(), data.end()); }

private:
    std::vector<std::uint8_t>& out_;
};

}  // namespace

size_t storedFrameSize(size_t inputSize) { return kStoredOverhead + inputSize; }

void appendStoredFrame(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& out) {
    assert(chunk.size() <= kMaxBlockInput);
    const auto len = static_cast<std::uint16_t>(chunk.size());
    out.push_back('C');
    out.push_back('K');
    out.push_back(0x01);  // BFINAL = 1, BTYPE = 00, then padding bits
    putU16(out, len);
    putU16(out, static_cast<std::uint16_t>(~len));
    out.insert(out.end(), chunk.begin(), chunk.end());
}

// ---- Encoder ----

struct MszipFrameEncoder::Impl {
    DeflateEncoder deflate;
    DeflateSettings settings;  // the normal preset
};

MszipFrameEncoder::MszipFrameEncoder() : impl_(std::make_unique<Impl>()) {}
MszipFrameEncoder::~MszipFrameEncoder() = default;

void MszipFrameEncoder::encode(std::span<const std::uint8_t> history, std::span<const std::uint8_t> chunk,
                               std::vector<std::uint8_t>& out) {
    assert(!chunk.empty() && chunk.size() <= kMaxBlockInput);
    const size_t start = out.size();
    out.push_back('C');
    out.push_back('K');
    VectorSink sink(out);
    impl_->deflate.encodeFrame(history, chunk, sink, impl_->settings);
    // The encoder already prefers a stored block where it is smaller; this keeps the frame
    // within the format's bound whatever the block choice was.
    if (out.size() - start > storedFrameSize(chunk.size())) {
        out.resize(start);
        appendStoredFrame(chunk, out);
    }
}

// ---- Decoder ----

struct MszipFrameDecoder::Impl {};

MszipFrameDecoder::MszipFrameDecoder() : impl_(std::make_unique<Impl>()) {}
MszipFrameDecoder::~MszipFrameDecoder() = default;

void MszipFrameDecoder::decode(std::span<const std::uint8_t> /*history*/, std::span<const std::uint8_t> frame,
                               size_t outputSize, std::vector<std::uint8_t>& out) {
    if (frame.size() < 2 || frame[0] != 'C' || frame[1] != 'K') throw DecodeError("invalid MSZIP frame signature");
    if (frame.size() != storedFrameSize(outputSize) || (frame[2] & 0x07) != 0x01)
        throw DecodeError("unsupported MSZIP frame");
    out.insert(out.end(), frame.begin() + kStoredOverhead, frame.end());
}

}  // namespace tessaro::archives::cab
