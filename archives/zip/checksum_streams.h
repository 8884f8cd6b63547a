// Stream wrappers that compute the CRC-32 of the bytes passing through them.
#pragma once

#include "archives/checksum/crc32.h"
#include "archives/io/byte_stream.h"

#include <cstdint>

namespace tessaro::archives::zip {

// Passes every byte on to `out` and keeps the CRC-32 and count of what passed.
class CrcSink final : public ByteSink {
public:
    explicit CrcSink(ByteSink& out) : out_(out) {}
    void write(std::span<const std::uint8_t> data) override {
        crc_.update(data);
        count_ += data.size();
        out_.write(data);
    }
    std::uint32_t crc() const { return crc_.value(); }
    std::uint64_t count() const { return count_; }

private:
    ByteSink& out_;
    Crc32 crc_;
    std::uint64_t count_ = 0;
};

// Reads from `in` and keeps the furthest position read up to, which is the number of bytes
// the source held even when a reader went back over some of them.
class ExtentSource final : public ByteSource {
public:
    explicit ExtentSource(ByteSource& in) : in_(in), extent_(in.position()) {}
    size_t read(std::span<std::uint8_t> buffer) override {
        const size_t got = in_.read(buffer);
        if (in_.position() > extent_) extent_ = in_.position();
        return got;
    }
    std::uint64_t position() const override { return in_.position(); }
    void seek(std::uint64_t offset) override { in_.seek(offset); }
    std::uint64_t extent() const { return extent_; }

private:
    ByteSource& in_;
    std::uint64_t extent_;
};

}  // namespace tessaro::archives::zip
