// Extra fields: the sequences of (identifier, length, data) records after a header's name.
//
// Other writers put records of their own in; we keep those untouched and only read, add or
// replace the few we know (zip64, Unicode Path, the NUCX Unicode name). A record whose length
// runs past the end of the field is cut to what remains, so a damaged field never makes a
// reader look beyond it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::archives::zip {

struct ExtraRecord {
    std::uint16_t id = 0;
    std::string data;
};

std::vector<ExtraRecord> parseExtraField(std::string_view field);
std::string buildExtraField(const std::vector<ExtraRecord>& records);

// The data of the first record with `id`.
std::optional<std::string> findExtraRecord(std::string_view field, std::uint16_t id);
// `field` without any record with `id`.
std::string removeExtraRecord(std::string_view field, std::uint16_t id);
// One record with its header.
std::string extraRecordBytes(std::uint16_t id, std::string_view data);

// The zip64 record of a central header for the fields that overflow, in the order
// uncompressed size, compressed size, local header offset; empty when none does.
std::string centralZip64Data(std::uint64_t uncompressedSize, std::uint64_t compressedSize, std::uint64_t localHeaderOffset);

// Values of the zip64 record read for the fields whose 32-bit (or 16-bit) value is saturated.
struct Zip64Fields {
    std::uint64_t uncompressedSize;
    std::uint64_t compressedSize;
    std::uint64_t localHeaderOffset;
    std::uint32_t firstDisk;
};
// Replaces each saturated field of `fields` by the next value of `record`, in order, while
// the record has bytes left.
void applyZip64Record(std::string_view record, Zip64Fields& fields);

}  // namespace tessaro::archives::zip
