// Inputs and an independent inflater (zlib) for the Deflate tests.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tessaro::archives::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Raw inflate (no wrapper) with zlib; an optional dictionary stands for the preceding history.
// Throws when zlib finds an error or the stream does not end.
inline Bytes zlibInflate(std::span<const std::uint8_t> data, std::span<const std::uint8_t> dictionary = {}) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) throw std::runtime_error("inflateInit2");
    if (!dictionary.empty() &&
        inflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK) {
        inflateEnd(&z);
        throw std::runtime_error("inflateSetDictionary");
    }
    Bytes out;
    std::uint8_t buffer[1 << 16];
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    const unsigned left = z.avail_in;
    inflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib inflate failed: " + std::to_string(rc));
    if (left != 0) throw std::runtime_error("bytes after the end of the stream");
    return out;
}

// Raw deflate with zlib at a level.
inline Bytes zlibDeflate(std::span<const std::uint8_t> data, int level) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib deflate failed");
    return out;
}

// Words and markup, like the XML and text files the program packs.
inline Bytes textData(std::size_t size, unsigned seed = 1) {
    static const char* const kWords[] = {"<record>", "</record>", "patient", "醫院", "2024", "claim", "the",
                                         "=\"",      "\">",       "fee",     "\n",   "  ",   "value", "病歷",
                                         "id",       "date",      "0001",    "of",   "and",  "<t2>", "</t2>"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
        if (rng() % 5 == 0) s += std::to_string(rng() % 100000);
        s += ' ';
    }
    s.resize(size);
    return toBytes(s);
}

inline Bytes randomData(std::size_t size, unsigned seed = 7) {
    std::mt19937 rng(seed);
    Bytes b(size);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

// Binary records: small integers, zero runs and repeated structures.
inline Bytes binaryData(std::size_t size, unsigned seed = 3) {
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(size);
    while (b.size() < size) {
        const std::uint32_t kind = rng() % 4;
        if (kind == 0) b.insert(b.end(), rng() % 40, 0);
        for (int i = 0; i < 16; ++i) b.push_back(static_cast<std::uint8_t>(kind == 1 ? rng() : (rng() % 8) * kind));
    }
    b.resize(size);
    return b;
}

// A 16-bit grey image: smooth gradients with a little noise, little-endian samples.
inline Bytes image16Data(std::size_t size, unsigned seed = 5) {
    std::mt19937 rng(seed);
    Bytes b(size);
    const std::size_t width = 512;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::size_t px = i / 2;
        const std::size_t x = px % width, y = px / width;
        const unsigned v = static_cast<unsigned>((x * 37 + y * 11) % 4096 + (rng() % 8));
        b[i] = static_cast<std::uint8_t>(v);
        b[i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return b;
}

}  // namespace tessaro::archives::testing
