#include "archives/codecs/coded_input.h"

#include <algorithm>

namespace tessaro::archives {

namespace {
constexpr size_t kInputPiece = 64 * 1024;
}

void throwDecodeError(std::string_view method, std::string_view cause, std::string_view step) {
    std::string text(cause);
    text += " (";
    text += method;
    text += ", ";
    text += step;
    text += ")";
    throw DecodeError(text);
}

CodedInput::CodedInput(ByteSource& source, std::uint64_t compressedSize, std::string_view method)
    : source_(source),
      unread_(compressedSize),
      method_(method),
      buffer_(static_cast<size_t>(std::min<std::uint64_t>(kInputPiece, std::max<std::uint64_t>(compressedSize, 1)))) {}

bool CodedInput::refill() {
    if (unread_ == 0) return false;
    const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(buffer_.size(), unread_));
    const size_t got = source_.read(std::span(buffer_).first(wanted));
    if (got == 0) {
        // The archive is shorter than the entry's compressed size says.
        unread_ = 0;
        return false;
    }
    unread_ -= got;
    next_ = 0;
    end_ = got;
    return true;
}

std::span<const std::uint8_t> CodedInput::available() {
    if (next_ == end_) refill();
    return std::span<const std::uint8_t>(buffer_).subspan(next_, end_ - next_);
}

void CodedInput::endsEarly(std::string_view step) const { throwDecodeError(method_, "data ends early", step); }

void CodedInput::fail(std::string_view cause, std::string_view step) const { throwDecodeError(method_, cause, step); }

}  // namespace tessaro::archives
