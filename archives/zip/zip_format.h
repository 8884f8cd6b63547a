// The ZIP records as the PKWARE application note lays them out: signatures, sizes, extra
// record identifiers and flag bits. Fields are read and written with the little-endian
// helpers of archives/io/little_endian.h.
#pragma once

#include "archives/io/little_endian.h"

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
// Records that carry file times: NTFS times, the extended timestamp, Info-ZIP's old Unix record.
inline constexpr std::uint16_t kNtfsTimesExtraId = 0x000A;
inline constexpr std::uint16_t kExtendedTimeExtraId = 0x5455;
inline constexpr std::uint16_t kUnixOldExtraId = 0x5855;

// General-purpose flag bits.
inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Host bytes (high byte of "version made by").
inline constexpr std::uint8_t kHostMsDos = 0;
inline constexpr std::uint8_t kHostUnix = 3;
inline constexpr std::uint8_t kHostNtfs = 11;

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
