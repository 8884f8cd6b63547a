#include "archives/codecs/stored_copy.h"

#include "archives/io/decode_error.h"

#include <algorithm>
#include <vector>

namespace tessaro::archives {

void copyStored(ByteSource& source, ByteSink& sink, std::uint64_t size) {
    constexpr std::uint64_t kPiece = 1 << 20;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(size, kPiece)));
    while (size > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
        if (source.readFully({buffer.data(), n}) != n) throw DecodeError("unexpected end of data (stored entry)");
        sink.write({buffer.data(), n});
        size -= n;
    }
}

}  // namespace tessaro::archives
