#include "archives/zip/end_record_search.h"

#include "archives/zip/zip_format.h"

#include <algorithm>
#include <vector>

namespace tessaro::archives::zip {
namespace {

std::uint16_t commentLengthAt(std::span<const std::uint8_t> bytes, size_t at) {
    return getU16(bytes.data() + at + 20);
}

// The highest signature in the window, if it is accepted.
std::optional<std::uint64_t> searchWindow(std::span<const std::uint8_t> window, std::uint64_t windowStart,
                                          std::uint64_t fileSize) {
    for (size_t at = window.size() - kEndRecordSize + 1; at-- > 0;) {
        if (getU32(window.data() + at) != kEndRecordSignature) continue;
        const std::uint64_t recordEnd = windowStart + at + kEndRecordSize;
        if (fileSize - recordEnd >= commentLengthAt(window, at)) return windowStart + at;
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> findEndRecord(const platform::RandomAccessFile& file) {
    const std::uint64_t size = file.size();
    if (size < kEndRecordSize) return std::nullopt;

    std::vector<std::uint8_t> buffer(kEndRecordSize);
    if (file.readAt(size - kEndRecordSize, buffer) == kEndRecordSize && getU32(buffer.data()) == kEndRecordSignature &&
        commentLengthAt(buffer, 0) == 0)
        return size - kEndRecordSize;

    std::uint64_t windowEnd = size;
    std::uint64_t windowSize = kFirstSearchWindow;
    for (;;) {
        const std::uint64_t windowStart = windowEnd > windowSize ? windowEnd - windowSize : 0;
        const size_t length = static_cast<size_t>(windowEnd - windowStart);
        if (length < kEndRecordSize) return std::nullopt;
        buffer.resize(length);
        if (file.readAt(windowStart, buffer) != length) return std::nullopt;
        if (auto found = searchWindow(buffer, windowStart, size)) return found;
        if (windowStart == 0) return std::nullopt;
        windowEnd = windowStart + kEndRecordSize;
        windowSize = std::min<std::uint64_t>(windowSize * 2, kLargestSearchWindow);
    }
}

}  // namespace tessaro::archives::zip
