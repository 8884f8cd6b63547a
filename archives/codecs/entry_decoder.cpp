#include "archives/codecs/entry_decoder.h"

#include "archives/codecs/decode_error.h"

namespace tessaro::archives {

// Each method's decoder registers here as it is written.
bool isSupportedMethod(std::uint16_t method) {
    switch (method % 128) {
        default: return false;
    }
}

void decodeEntryData(const EntryCoding& coding, ByteSource& /*compressed*/, ByteSink& /*out*/) {
    switch (coding.method % 128) {
        default: throw UnsupportedMethodError();
    }
}

}  // namespace tessaro::archives
