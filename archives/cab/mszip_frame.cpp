#include "archives/cab/mszip_frame.h"

#include "archives/cab/cab_records.h"
#include "archives/deflate/deflate_encoder.h"
#include "archives/deflate/deflate_settings.h"
#include "archives/deflate/inflate_decoder.h"
#include "archives/io/decode_error.h"

#include <algorithm>
#include <array>
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
    Impl() { settings.setCompleteCodes(true); }  // cabextract refuses one-code Huffman trees
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
//
// The project's inflater decodes whole Deflate streams and takes no preset dictionary. A frame
// whose matches reach into the history is therefore decoded as part of a longer stream: one
// stored block (not final) holding the history, then the frame's own blocks, which start on a
// byte boundary just as a stored block ends. The history comes out again first and is dropped.

namespace {

// The primed stream: stored-block header, history, frame data.
class PrimedFrameSource final : public ByteSource {
public:
    PrimedFrameSource(std::span<const std::uint8_t> history, std::span<const std::uint8_t> deflate) {
        if (!history.empty()) {
            const auto len = static_cast<std::uint16_t>(history.size());
            header_ = {0x00, static_cast<std::uint8_t>(len), static_cast<std::uint8_t>(len >> 8),
                       static_cast<std::uint8_t>(~len), static_cast<std::uint8_t>(~len >> 8)};
            parts_[0] = header_;
            parts_[1] = history;
        }
        parts_[2] = deflate;
    }
    size_t read(std::span<std::uint8_t> buffer) override {
        size_t done = 0;
        while (done < buffer.size() && part_ < parts_.size()) {
            const auto rest = parts_[part_].subspan(offset_);
            const size_t n = std::min(rest.size(), buffer.size() - done);
            std::copy_n(rest.begin(), n, buffer.begin() + static_cast<std::ptrdiff_t>(done));
            done += n;
            offset_ += n;
            position_ += n;
            if (offset_ == parts_[part_].size()) {
                ++part_;
                offset_ = 0;
            }
        }
        return done;
    }
    std::uint64_t position() const override { return position_; }
    void seek(std::uint64_t) override { throw DecodeError("MSZIP frame source cannot seek"); }

private:
    std::array<std::uint8_t, 5> header_{};
    std::array<std::span<const std::uint8_t>, 3> parts_{};
    size_t part_ = 0;
    size_t offset_ = 0;
    std::uint64_t position_ = 0;
};

// Drops the first `skip` bytes written, appends the rest.
class SkippingSink final : public ByteSink {
public:
    SkippingSink(size_t skip, std::vector<std::uint8_t>& out) : skip_(skip), out_(out) {}
    void write(std::span<const std::uint8_t> data) override {
        const size_t dropped = std::min(skip_, data.size());
        skip_ -= dropped;
        out_.insert(out_.end(), data.begin() + static_cast<std::ptrdiff_t>(dropped), data.end());
    }

private:
    size_t skip_;
    std::vector<std::uint8_t>& out_;
};

}  // namespace

struct MszipFrameDecoder::Impl {
    InflateDecoder inflate{InflateDecoder::Variant::Deflate};
};

MszipFrameDecoder::MszipFrameDecoder() : impl_(std::make_unique<Impl>()) {}
MszipFrameDecoder::~MszipFrameDecoder() = default;

void MszipFrameDecoder::decode(std::span<const std::uint8_t> history, std::span<const std::uint8_t> frame,
                               size_t outputSize, std::vector<std::uint8_t>& out) {
    if (frame.size() < 2 || frame[0] != 'C' || frame[1] != 'K') throw DecodeError("invalid MSZIP frame signature");
    if (history.size() > kMaxBlockInput) history = history.last(kMaxBlockInput);
    PrimedFrameSource source(history, frame.subspan(2));
    SkippingSink sink(history.size(), out);
    impl_->inflate.decode(source, sink, history.size() + outputSize);
}

}  // namespace tessaro::archives::cab
