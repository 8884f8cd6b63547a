// Test-only: lists a ZIP archive's entries from its central directory and gives each entry's
// raw data, so the method decoders can be tested on real archives without the extractor; and
// writes one-entry archives of any method for an independent archiver to extract.
// Deliberately minimal: one disk, no zip64, no name decoding.
#pragma once

#include "archives/codecs/entry_decoder.h"
#include "archives/io/byte_stream.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::testing {

struct RawEntry {
    std::string name;
    archives::EntryCoding coding;
    std::uint32_t crc = 0;
    std::uint64_t dataOffset = 0;  // start of the entry's data in the archive
};

inline std::uint32_t le(const std::string& b, size_t at, int bytes) {
    if (at + bytes > b.size()) throw std::runtime_error("raw_entries: record runs past the archive");
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

class RawZip {
public:
    explicit RawZip(const std::string& path) try {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        size_t end = bytes_.size() >= 22 ? bytes_.size() - 22 : 0;
        while (end > 0 && le(bytes_, end, 4) != 0x06054B50) --end;
        if (le(bytes_, end, 4) != 0x06054B50) throw std::runtime_error("raw_entries: no end record in " + path);
        const std::uint32_t count = le(bytes_, end + 10, 2);
        size_t at = le(bytes_, end + 16, 4);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (le(bytes_, at, 4) != 0x02014B50) throw std::runtime_error("raw_entries: bad central header");
            RawEntry e;
            e.coding.flags = static_cast<std::uint16_t>(le(bytes_, at + 8, 2));
            e.coding.method = static_cast<std::uint16_t>(le(bytes_, at + 10, 2));
            e.crc = le(bytes_, at + 16, 4);
            e.coding.compressedSize = le(bytes_, at + 20, 4);
            e.coding.uncompressedSize = le(bytes_, at + 24, 4);
            const size_t nameLength = le(bytes_, at + 28, 2);
            const size_t extraLength = le(bytes_, at + 30, 2);
            const size_t commentLength = le(bytes_, at + 32, 2);
            const size_t local = le(bytes_, at + 42, 4);
            e.name = bytes_.substr(at + 46, nameLength);
            e.dataOffset = local + 30 + le(bytes_, local + 26, 2) + le(bytes_, local + 28, 2);
            entries_.push_back(e);
            at += 46 + nameLength + extraLength + commentLength;
        }
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(std::string(e.what()) + " (" + path + ")");
    }

    const std::vector<RawEntry>& entries() const { return entries_; }

    // The entry's compressed bytes exactly as stored.
    std::string data(const RawEntry& e) const { return bytes_.substr(e.dataOffset, e.coding.compressedSize); }

private:
    std::string bytes_;
    std::vector<RawEntry> entries_;
};

// Writes a one-entry archive whose entry holds `data` as stored by the given method.
inline void writeSingleEntryZip(const std::string& path, const std::string& name, std::uint16_t method, const std::string& data,
                                std::uint32_t uncompressedSize, std::uint32_t crc) {
    auto put = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
    };
    std::string local, central, end;
    for (std::string* h : {&local, &central}) {
        const bool isCentral = h == &central;
        put(*h, isCentral ? 0x02014B50 : 0x04034B50, 4);
        if (isCentral) put(*h, 63, 2);
        put(*h, 63, 2);
        put(*h, 0, 2);  // flags
        put(*h, method, 2);
        put(*h, 0, 4);  // time and date
        put(*h, crc, 4);
        put(*h, static_cast<std::uint32_t>(data.size()), 4);
        put(*h, uncompressedSize, 4);
        put(*h, static_cast<std::uint32_t>(name.size()), 2);
        put(*h, 0, 2);
        if (isCentral) {
            put(*h, 0, 2);  // comment length
            put(*h, 0, 2);  // disk
            put(*h, 0, 2);  // internal attributes
            put(*h, 0, 4);  // external attributes
            put(*h, 0, 4);  // local header offset
        }
        *h += name;
    }
    put(end, 0x06054B50, 4);
    put(end, 0, 4);
    put(end, 1, 2);
    put(end, 1, 2);
    put(end, static_cast<std::uint32_t>(central.size()), 4);
    put(end, static_cast<std::uint32_t>(local.size() + data.size()), 4);
    put(end, 0, 2);
    std::ofstream(path, std::ios::binary) << local << data << central << end;
}

inline std::uint32_t crcOf(const std::vector<std::uint8_t>& bytes) {
    return static_cast<std::uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

inline std::uint32_t crcOf(std::string_view bytes) {
    return static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Decodes compressed data of the given coding into memory (exceptions pass through).
// Stored entries are copied here, so these tests do not depend on the stored-data decoder.
inline std::vector<std::uint8_t> decodeToMemory(const archives::EntryCoding& coding, const std::string& data) {
    if (coding.method == 0) return std::vector<std::uint8_t>(data.begin(), data.end());
    archives::MemorySource source(data);
    archives::MemorySink sink;
    archives::decodeEntryData(coding, source, sink);
    return sink.bytes();
}

}  // namespace tessaro::testing
