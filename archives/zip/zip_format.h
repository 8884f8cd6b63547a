// The ZIP records as the PKWARE application note lays them out, and the little-endian field
// access every reader and writer of them shares.
//
// Fields are read through ByteReader, which checks bounds in one place: a record cut short
// reads as zeros past its end and reports it, so parsers test one flag instead of every
// field. Records are written through ByteWriter into a byte string.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessaro::archives::zip {

// Record signatures.
inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;
// The first four bytes of a disk set written to removable media, and of a package on a
// removable drive that fitted on one disk.
inline constexpr std::uint32_t kSpannedMarker = 0x08074B50;
inline constexpr std::uint32_t kSingleDiskMarker = 0x30304B50;  // "PK00"

// Fixed record sizes.
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;
inline constexpr size_t kZip64EndRecordSize = 56;
inline constexpr size_t kZip64LocatorSize = 20;

// Values that mean "look in the zip64 record".
inline constexpr std::uint16_t kSaturated16 = 0xFFFF;
inline constexpr std::uint32_t kSaturated32 = 0xFFFFFFFF;

// Extra-field record identifiers.
inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
inline constexpr std::uint16_t kUnicodePathExtraId = 0x7075;
inline constexpr std::uint16_t kUnicodeNameNucxExtraId = 0x554E;

// General-purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Host bytes (high byte of "version made by").
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
inline constexpr std::uint8_t kHostNtfs = 11;

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
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void bytes(std::string_view data) { out_.append(data); }

private:
    void put(std::uint64_t v, size_t count) {
        for (size_t i = 0; i < count; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string& out_;
};

// The 32-bit value of four bytes read little-endian.
inline std::uint32_t readU32(std::span<const std::uint8_t> bytes, size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

inline std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The values of the end of central directory record (zip64 widths).
struct DirectoryEnd {
    std::uint32_t thisDisk = 0;
    std::uint32_t directoryDisk = 0;
    std::uint64_t entriesOnDisk = 0;
    std::uint64_t entriesTotal = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
};

}  // namespace tessaro::archives::zip
