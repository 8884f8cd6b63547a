// The failure of a decoder on corrupt, truncated or unsupported data.
//
// A decoder throws it as soon as it sees data it cannot decode; the text names the cause and
// the decoding step ("invalid distance code (dynamic block, distance symbol)"). The ZIP
// extractor turns it into a failure of that one entry and goes on with the next.
#pragma once

#include "platform/error.h"

#include <string>

namespace tessaro::archives {

class DecodeError : public tessaro::Error {
public:
    explicit DecodeError(const std::string& text) : tessaro::Error(text) {}
};

// The text of an entry whose method no decoder handles.
inline constexpr const char* kUnsupportedMethodText = "Cannot extract file - unsupported compression method";

class UnsupportedMethodError : public tessaro::Error {
public:
    UnsupportedMethodError() : tessaro::Error(kUnsupportedMethodText) {}
};

}  // namespace tessaro::archives
