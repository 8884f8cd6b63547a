// Code page 950 as this platform converts it (ICU on Linux, the system's own conversion on
// Windows) against a table made once from the Linux build: every single byte and every byte
// pair decoded, every BMP character encoded with its exactness. Both builds must read and
// write the same bytes, so both must match the one table.
//
// The table (tests/platform/data/cp950.table.z) is text deflated with zlib, one line per item
// in a fixed order: the 256 single bytes, then every lead byte 81-FE with every second byte
// 00-FF (decoded: UTF-16 units in hex), then U+0001-U+FFFF without the surrogates (encoded:
// the bytes in hex, then "1" or "0" for an exact mapping and for one with best fit). A first
// field of four hex digits is written as "+" and its difference from the previous such field,
// which turns the runs of consecutive codes into repeated lines that deflate well. To remake
// the table: TESSARO_WRITE_CP950_TABLE=<file> platform_tests --gtest_filter='CodePage950Table*'.
#include "platform/code_page.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tessaro::platform {
namespace {

const std::filesystem::path kTable = std::filesystem::path(TESSARO_SOURCE_DIR) / "tests/platform/data/cp950.table.z";

std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// UTF-8 of one BMP code point.
std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The UTF-16 units of decoded UTF-8 text, in hex.
std::string units(const std::string& text) {
    std::string line;
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += static_cast<size_t>(length);
        if (!line.empty()) line += ' ';
        if (c < 0x10000) {
            line += hex(c, 4);
        } else {
            line += hex(0xD800 + ((c - 0x10000) >> 10), 4) + ' ' + hex(0xDC00 + ((c - 0x10000) & 0x3FF), 4);
        }
    }
    return line;
}

// Every line of the table, as this platform converts.
std::vector<std::string> describeCodePage950() {
    std::vector<std::string> lines;
    for (unsigned b = 0; b < 256; ++b) lines.push_back(units(decodeCodePage(std::string(1, static_cast<char>(b)), 950)));
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0; trail < 256; ++trail)
            lines.push_back(units(decodeCodePage(std::string{static_cast<char>(lead), static_cast<char>(trail)}, 950)));
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string text = utf8(c);
        std::string line;
        for (const char byte : encodeCodePage(text, 950)) line += hex(static_cast<unsigned char>(byte), 2);
        line += representableInCodePage(text, 950) ? " 1" : " 0";
        line += encodableWithBestFit(text, 950) ? "1" : "0";
        lines.push_back(line);
    }
    return lines;
}

std::string deltaCoded(const std::vector<std::string>& lines) {
    std::string text;
    unsigned previous = 0;
    for (const std::string& line : lines) {
        const size_t end = line.find(' ');
        const std::string first = line.substr(0, end);
        if (first.size() == 4) {
            const unsigned value = static_cast<unsigned>(std::stoul(first, nullptr, 16));
            text += '+' + hex((value - previous) & 0xFFFF, 1) + (end == std::string::npos ? "" : line.substr(end));
            previous = value;
        } else {
            text += line;
        }
        text += '\n';
    }
    return text;
}

std::vector<std::string> deltaDecoded(const std::string& text) {
    std::vector<std::string> lines;
    unsigned previous = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '+') {
            const size_t end = line.find(' ');
            previous = (previous + static_cast<unsigned>(std::stoul(line.substr(1, end - 1), nullptr, 16))) & 0xFFFF;
            line = hex(previous, 4) + (end == std::string::npos ? "" : line.substr(end));
        }
        lines.push_back(line);
    }
    return lines;
}

std::string inflated(const std::string& packed) {
    z_stream stream{};
    EXPECT_EQ(inflateInit(&stream), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    std::string text;
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        text.append(buffer, sizeof buffer - stream.avail_out);
    }
    inflateEnd(&stream);
    EXPECT_EQ(status, Z_STREAM_END);
    return text;
}

std::string deflated(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), 9);
    packed.resize(size);
    return packed;
}

// Which item a line of the table describes, for the failure report.
std::string itemOf(size_t index) {
    if (index < 256) return "byte " + hex(static_cast<unsigned>(index), 2);
    index -= 256;
    if (index < 126 * 256) return "bytes " + hex(0x81 + static_cast<unsigned>(index / 256), 2) + " " + hex(index % 256, 2);
    index -= 126 * 256;
    const unsigned c = 1 + static_cast<unsigned>(index) + (index + 1 >= 0xD800 ? 0x800 : 0);
    return "U+" + hex(c, 4);
}

TEST(CodePage950Table, EveryPairAndEveryBmpCharacterGivesTheTablesBytes) {
    const std::vector<std::string> actual = describeCodePage950();
    if (const char* out = std::getenv("TESSARO_WRITE_CP950_TABLE")) {
        std::ofstream(out, std::ios::binary) << deflated(deltaCoded(actual));
        GTEST_SKIP() << "table written to " << out;
    }
    const std::vector<std::string> expected = deltaDecoded(inflated(tessaro::testing::readBytes(kTable)));
    ASSERT_EQ(actual.size(), expected.size());
    int reported = 0;
    for (size_t i = 0; i < actual.size() && reported < 20; ++i) {
        if (actual[i] == expected[i]) continue;
        ADD_FAILURE() << itemOf(i) << ": this platform gives \"" << actual[i] << "\", the table \"" << expected[i] << "\"";
        ++reported;
    }
}

TEST(CodePage950Table, SpotChecksOfTheTable) {
    // A few lines read by hand, so that a broken table cannot pass unnoticed.
    const std::vector<std::string> table = deltaDecoded(inflated(tessaro::testing::readBytes(kTable)));
    ASSERT_EQ(table.size(), 256 + 126 * 256 + 0xFFFF - 0x800);
    EXPECT_EQ(table[0x41], "0041");
    EXPECT_EQ(table[0x80], "0080");
    EXPECT_EQ(table[0xFF], "F8F8");                    // Microsoft's private-use mapping of FF
    EXPECT_EQ(table[256 + (0xA4 - 0x81) * 256 + 0x40], "4E00");  // 一
    EXPECT_EQ(table[256 + (0xA4 - 0x81) * 256 + 0x30], "FFFD 0030");  // no trail byte: the digit stays
    EXPECT_EQ(table[256 + 126 * 256 + 0x4E00 - 1], "A440 11");
    EXPECT_EQ(table[256 + 126 * 256 + 0x200B - 1], "3F 00");     // zero-width space: '?', not dropped
    EXPECT_EQ(table[256 + 126 * 256 + 0xFF21 - 1 - 0x800], "A2CF 11");  // full-width A, past the surrogates
}

}  // namespace
}  // namespace tessaro::platform
