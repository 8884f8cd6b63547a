#include "archives/zip/extra_field.h"

#include "archives/zip/zip_format.h"

namespace tessaro::archives::zip {

std::vector<ExtraRecord> parseExtraField(std::string_view field) {
    std::vector<ExtraRecord> records;
    ByteReader reader(field);
    while (reader.remaining() >= 4) {
        ExtraRecord record;
        record.id = reader.u16();
        const std::uint16_t length = reader.u16();
        record.data = std::string(reader.bytes(length));  // cut at the field's end
        records.push_back(std::move(record));
    }
    return records;
}

std::string extraRecordBytes(std::uint16_t id, std::string_view data) {
    std::string out;
    ByteWriter writer(out);
    writer.u16(id);
    writer.u16(static_cast<std::uint16_t>(data.size()));
    writer.bytes(data);
    return out;
}

std::string buildExtraField(const std::vector<ExtraRecord>& records) {
    std::string out;
    for (const auto& record : records) out += extraRecordBytes(record.id, record.data);
    return out;
}

std::optional<std::string> findExtraRecord(std::string_view field, std::uint16_t id) {
    for (auto& record : parseExtraField(field))
        if (record.id == id) return std::move(record.data);
    return std::nullopt;
}

std::string removeExtraRecord(std::string_view field, std::uint16_t id) {
    auto records = parseExtraField(field);
    std::erase_if(records, [id](const ExtraRecord& r) { return r.id == id; });
    return buildExtraField(records);
}

std::string centralZip64Data(std::uint64_t uncompressedSize, std::uint64_t compressedSize, std::uint64_t localHeaderOffset) {
    std::string data;
    ByteWriter writer(data);
    if (uncompressedSize >= kSaturated32) writer.u64(uncompressedSize);
    if (compressedSize >= kSaturated32) writer.u64(compressedSize);
    if (localHeaderOffset >= kSaturated32) writer.u64(localHeaderOffset);
    return data;
}

void applyZip64Record(std::string_view record, Zip64Fields& fields) {
    ByteReader reader(record);
    if (fields.uncompressedSize == kSaturated32 && reader.remaining() >= 8) fields.uncompressedSize = reader.u64();
    if (fields.compressedSize == kSaturated32 && reader.remaining() >= 8) fields.compressedSize = reader.u64();
    if (fields.localHeaderOffset == kSaturated32 && reader.remaining() >= 8) fields.localHeaderOffset = reader.u64();
    if (fields.firstDisk == kSaturated16 && reader.remaining() >= 4) fields.firstDisk = reader.u32();
}

}  // namespace tessaro::archives::zip
