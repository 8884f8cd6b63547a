#include "archives/io/little_endian.h"

#include <algorithm>

namespace tessaro::archives {

std::uint64_t ByteReader::take(size_t count) {
    std::uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (pos_ >= data_.size()) {
            truncated_ = true;
            break;
        }
        value |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(data_[pos_++])) << (8 * i);
    }
    return value;
}

std::string_view ByteReader::bytes(size_t count) {
    const size_t n = std::min(count, remaining());
    if (n < count) truncated_ = true;
    const std::string_view out = data_.substr(pos_, n);
    pos_ += n;
    return out;
}

}  // namespace tessaro::archives
