// A minimal ZIP central-directory reader for codec tests: finds each entry's method, sizes,
// CRC and the offset of its data (after the local header). Not the program's ZIP loader.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaro::archives::testing {

struct ZipTestEntry {
    std::string name;
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t dataOffset = 0;
};

inline std::vector<ZipTestEntry> readZipEntries(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    auto u16 = [&](std::size_t at) {
        return static_cast<std::uint16_t>(std::uint8_t(bytes.at(at)) | std::uint8_t(bytes.at(at + 1)) << 8);
    };
    auto u32 = [&](std::size_t at) { return std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16; };
    std::size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos) throw std::runtime_error("no end record");
    const std::size_t count = u16(end + 10);
    std::size_t at = u32(end + 16);
    std::vector<ZipTestEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        if (u32(at) != 0x02014B50) throw std::runtime_error("bad central header");
        ZipTestEntry e;
        e.flags = u16(at + 8);
        e.method = u16(at + 10);
        e.crc = u32(at + 16);
        e.compressedSize = u32(at + 20);
        e.uncompressedSize = u32(at + 24);
        const std::size_t nameLen = u16(at + 28), extraLen = u16(at + 30), commentLen = u16(at + 32);
        e.name = bytes.substr(at + 46, nameLen);
        const std::size_t local = u32(at + 42);
        if (u32(local) != 0x04034B50) throw std::runtime_error("bad local header");
        e.dataOffset = local + 30 + u16(local + 26) + u16(local + 28);
        entries.push_back(e);
        at += 46 + nameLen + extraLen + commentLen;
    }
    return entries;
}

}  // namespace tessaro::archives::testing
