// Benchmark inputs, generated so every run measures the same bytes: XML like the claim and
// record files the program packs, a PDF-like mix of text objects and compressed streams,
// 16-bit image samples like DICOM pixel data, and random bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tessaro::bench {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kInputSize = 4 << 20;

inline Bytes xmlInput(std::size_t size = kInputSize) {
    std::mt19937 rng(11);
    static const char* const kNames[] = {"王小明", "陳美玲", "林志強", "張淑芬", "李建國", "黃雅婷"};
    static const char* const kCodes[] = {"A01", "B12", "C07", "D33", "E09", "F21", "G45"};
    std::string s = "<?xml version=\"1.0\" encoding=\"Big5\"?>\n<outpatient>\n";
    while (s.size() < size) {
        s += "  <ddata>\n    <dhead><d1>" + std::to_string(1 + rng() % 26) + "</d1><d2>" +
             std::to_string(100000 + rng() % 900000) + "</d2></dhead>\n    <dbody>\n      <d11>" +
             kNames[rng() % 6] + "</d11><d3>" + char('A' + rng() % 26) + std::to_string(100000000 + rng() % 900000000) +
             "</d3><d9>1" + std::to_string(10 + rng() % 3) + std::to_string(1 + rng() % 12) +
             std::to_string(10 + rng() % 18) + "</d9>\n";
        for (unsigned i = 0, n = 1 + rng() % 4; i < n; ++i)
            s += "      <pdata><p2>" + std::string(kCodes[rng() % 7]) + std::to_string(rng() % 1000) + "</p2><p4>" +
                 std::to_string(rng() % 5000) + "</p4><p10>" + std::to_string(1 + rng() % 30) + "</p10></pdata>\n";
        s += "    </dbody>\n  </ddata>\n";
    }
    s.resize(size);
    return Bytes(s.begin(), s.end());
}

inline Bytes pdfLikeInput(std::size_t size = kInputSize) {
    std::mt19937 rng(12);
    Bytes b;
    int object = 1;
    while (b.size() < size) {
        const int page = object++;
        std::string text = std::to_string(page) + " 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] "
                           "/Resources << /Font << /F1 " + std::to_string(rng() % 9) + " 0 R >> >> /Contents " +
                           std::to_string(object) + " 0 R >>\nendobj\n";
        text += std::to_string(object++) + " 0 obj\n<< /Length 900 >>\nstream\nBT /F1 12 Tf\n";
        for (int line = 0; line < 12; ++line)
            text += std::to_string(72 + rng() % 20) + " " + std::to_string(700 - line * 14) + " Td (Line " +
                    std::to_string(rng() % 10000) + " of the record) Tj\n";
        text += "ET\nendstream\nendobj\n";
        b.insert(b.end(), text.begin(), text.end());
        if (rng() % 3 == 0) {  // an embedded image or font: already compressed
            const std::string head = std::to_string(object++) + " 0 obj\n<< /Filter /FlateDecode /Length 6000 >>\nstream\n";
            b.insert(b.end(), head.begin(), head.end());
            for (int i = 0; i < 6000; ++i) b.push_back(static_cast<std::uint8_t>(rng()));
            const std::string tail = "\nendstream\nendobj\n";
            b.insert(b.end(), tail.begin(), tail.end());
        }
    }
    b.resize(size);
    return b;
}

inline Bytes image16Input(std::size_t size = kInputSize) {
    std::mt19937 rng(13);
    Bytes b(size);
    const std::size_t width = 512;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const std::size_t px = i / 2, x = px % width, y = (px / width) % width;
        const double dx = double(x) - 256.0, dy = double(y) - 256.0;
        const double r2 = dx * dx + dy * dy;
        unsigned v = r2 < 200.0 * 200.0 ? static_cast<unsigned>(1800 + (r2 / 40.0)) : 40u;
        v += rng() % 24;  // sensor noise
        b[i] = static_cast<std::uint8_t>(v);
        b[i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return b;
}

inline Bytes randomInput(std::size_t size = kInputSize) {
    std::mt19937 rng(14);
    Bytes b(size);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    return b;
}

}  // namespace tessaro::bench
