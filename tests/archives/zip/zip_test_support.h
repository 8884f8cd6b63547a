// Shared helpers of the ZIP tests: running the independent peers (unzip, 7zz, bsdtar,
// Python's zipfile), zlib's CRC-32, hand-made archives that do not come from our writer, and
// a listener for item failures.
#pragma once

#include "archives/zip/zip_errors.h"
#include "tests/support/peer_tools.h"
#include "tests/support/temp_dir.h"

#include <zlib.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::testing::zip {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// Runs a shell command, capturing standard output and standard error together.
inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0) result.output.append(buffer.data(), got);
    const int status = pclose(pipe.release());
#ifdef _WIN32
    result.exitCode = status;
#else
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

inline std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Python's zipfile: testzip() finds no bad entry and every entry reads in full.
inline CommandResult pythonZipCheck(const std::filesystem::path& archive) {
    return runCommand(
        "python3 -c \"import sys,zipfile\n"
        "z=zipfile.ZipFile(sys.argv[1])\n"
        "assert z.testzip() is None\n"
        "for i in z.infolist():\n"
        "    assert len(z.read(i))==i.file_size, i.filename\n"
        "print('ok', len(z.infolist()))\" " +
        quoted(archive));
}

// Every peer reads the archive without complaint; the failing peers' output otherwise.
inline std::string peerComplaints(const std::filesystem::path& archive) {
    std::string complaints;
    const std::pair<const char*, std::string> checks[] = {
        {"unzip -t", "unzip -tqq " + quoted(archive)},
        {"7zz t", "7zz t -bd " + quoted(archive)},
        {"bsdtar -tf", "bsdtar -tf " + quoted(archive) + " >/dev/null"},
    };
    for (const auto& [name, command] : checks) {
        const auto result = runCommand(command);
        if (result.exitCode != 0) complaints += std::string(name) + ": " + result.output + "\n";
    }
    const auto python = pythonZipCheck(archive);
    if (python.exitCode != 0) complaints += "python zipfile: " + python.output + "\n";
    return complaints;
}

inline std::uint32_t zlibCrc(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        ::crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// zlib's raw Deflate (window bits -15) of `bytes`.
inline std::string zlibDeflate(std::string_view bytes) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    ::deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Builds archives byte by byte, independently of the writer under test.
class RawZip {
public:
    struct Entry {
        std::string name;
        std::string data;  // as stored (already compressed for method 8)
        std::uint16_t method = 0;
        std::uint16_t flags = 0;
        std::uint16_t versionMadeBy = 20;
        std::uint16_t versionNeeded = 10;
        std::uint32_t crc = 0;
        std::uint64_t uncompressedSize = 0;
        std::uint16_t dosTime = 0;
        std::uint16_t dosDate = 0x21;
        std::uint32_t externalAttributes = 0x20;
        std::string centralExtra;
        std::uint32_t localSignature = 0x04034B50;
    };

    // A stored entry with the right CRC and size.
    static Entry stored(std::string name, std::string data) {
        Entry e;
        e.name = std::move(name);
        e.crc = zlibCrc(data);
        e.uncompressedSize = data.size();
        e.data = std::move(data);
        return e;
    }

    // A Deflate entry made by zlib.
    static Entry deflated(std::string name, const std::string& data) {
        Entry e;
        e.name = std::move(name);
        e.method = 8;
        e.versionNeeded = 20;
        e.crc = zlibCrc(data);
        e.uncompressedSize = data.size();
        e.data = zlibDeflate(data);
        return e;
    }

    void add(Entry entry) { entries_.push_back(std::move(entry)); }

    std::string bytes() const {
        std::string out, central;
        for (const auto& e : entries_) {
            const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
            put32(out, e.localSignature);
            put16(out, e.versionNeeded);
            put16(out, e.flags);
            put16(out, e.method);
            put16(out, e.dosTime);
            put16(out, e.dosDate);
            put32(out, e.crc);
            put32(out, static_cast<std::uint32_t>(e.data.size()));
            put32(out, static_cast<std::uint32_t>(e.uncompressedSize));
            put16(out, static_cast<std::uint16_t>(e.name.size()));
            put16(out, 0);
            out += e.name;
            out += e.data;

            put32(central, 0x02014B50);
            put16(central, e.versionMadeBy);
            put16(central, e.versionNeeded);
            put16(central, e.flags);
            put16(central, e.method);
            put16(central, e.dosTime);
            put16(central, e.dosDate);
            put32(central, e.crc);
            put32(central, static_cast<std::uint32_t>(e.data.size()));
            put32(central, static_cast<std::uint32_t>(e.uncompressedSize));
            put16(central, static_cast<std::uint16_t>(e.name.size()));
            put16(central, static_cast<std::uint16_t>(e.centralExtra.size()));
            put16(central, 0);
            put16(central, 0);
            put16(central, 0);
            put32(central, e.externalAttributes);
            put32(central, offset);
            central += e.name;
            central += e.centralExtra;
        }
        const std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
        out += central;
        put32(out, 0x06054B50);
        put16(out, 0);
        put16(out, 0);
        put16(out, static_cast<std::uint16_t>(entries_.size()));
        put16(out, static_cast<std::uint16_t>(entries_.size()));
        put32(out, static_cast<std::uint32_t>(central.size()));
        put32(out, directoryOffset);
        put16(out, 0);
        return out;
    }

    static void put16(std::string& out, std::uint16_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>(v >> 8));
    }
    static void put32(std::string& out, std::uint32_t v) {
        put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
        put16(out, static_cast<std::uint16_t>(v >> 16));
    }

private:
    std::vector<Entry> entries_;
};

// Collects item failures.
struct FailureLog {
    std::vector<archives::ItemFailure> failures;
    archives::ItemFailureHandler handler() {
        return [this](const archives::ItemFailure& failure) { failures.push_back(failure); };
    }
};

inline std::uint16_t get16(std::string_view bytes, size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}
inline std::uint32_t get32(std::string_view bytes, size_t at) {
    return get16(bytes, at) | static_cast<std::uint32_t>(get16(bytes, at + 2)) << 16;
}

}  // namespace tessaro::testing::zip
