// A view of at most `limit` bytes of another source, starting at its current position: the
// compressed data of one ZIP entry, so that no decoder reads into the next entry.
#pragma once

#include "archives/io/byte_stream.h"

#include <algorithm>

namespace tessaro::archives {

class LimitedSource final : public ByteSource {
public:
    LimitedSource(ByteSource& inner, std::uint64_t limit) : inner_(inner), start_(inner.position()), limit_(limit) {}

    size_t read(std::span<std::uint8_t> buffer) override {
        const std::uint64_t left = limit_ - pos_;
        const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(buffer.size(), left));
        if (wanted == 0) return 0;
        const size_t got = inner_.read(buffer.first(wanted));
        pos_ += got;
        return got;
    }
    std::uint64_t position() const override { return pos_; }
    void seek(std::uint64_t offset) override {
        pos_ = std::min(offset, limit_);
        inner_.seek(start_ + pos_);
    }

private:
    ByteSource& inner_;
    std::uint64_t start_;
    std::uint64_t limit_;
    std::uint64_t pos_ = 0;
};

}  // namespace tessaro::archives
