// Little-endian numbers in archive records: reading them out of bytes and appending them.
//
// ZIP and cabinet records store every number little-endian, so both formats share these
// helpers. Parsers read a record through ByteReader, which checks bounds in one place: a
// record cut short reads as zeros past its end and says so, so a parser tests one flag instead
// of every field. Writers append numbers to a byte string or byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessaro::archives {

// ---- Fixed positions ----

inline std::uint16_t getU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

inline std::uint32_t getU32(const std::uint8_t* p) {
    return std::uint32_t{getU16(p)} | std::uint32_t{getU16(p + 2)} << 16;
}

// ---- Appending ----

// `Bytes` is std::string or std::vector<std::uint8_t>.
template <typename Bytes>
void putLittleEndian(Bytes& out, std::uint64_t value, size_t count) {
    for (size_t i = 0; i < count; ++i)
        out.push_back(static_cast<typename Bytes::value_type>((value >> (8 * i)) & 0xFF));
}

template <typename Bytes>
void putU16(Bytes& out, std::uint16_t value) { putLittleEndian(out, value, 2); }
template <typename Bytes>
void putU32(Bytes& out, std::uint32_t value) { putLittleEndian(out, value, 4); }
template <typename Bytes>
void putU64(Bytes& out, std::uint64_t value) { putLittleEndian(out, value, 8); }

// ---- Sequential access ----

class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}
    explicit ByteReader(std::span<const std::uint8_t> data)
        : data_(reinterpret_cast<const char*>(data.data()), data.size()) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    // Up to `count` bytes; fewer (and truncated() set) when the data ends.
    std::string_view bytes(size_t count);
    void skip(size_t count) { bytes(count); }

    size_t position() const { return pos_; }
    size_t remaining() const { return data_.size() - pos_; }
    // True once a read ran past the end of the data.
    bool truncated() const { return truncated_; }

private:
    std::uint64_t take(size_t count);

    std::string_view data_;
    size_t pos_ = 0;
    bool truncated_ = false;
};

class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) { putU16(out_, v); }
    void u32(std::uint32_t v) { putU32(out_, v); }
    void u64(std::uint64_t v) { putU64(out_, v); }
    void bytes(std::string_view data) { out_.append(data); }

private:
    std::string& out_;
};

}  // namespace tessaro::archives
