#include "archives/codecs/entry_decoder.h"

#include "archives/codecs/bzip2_decoder.h"
#include "archives/codecs/decode_error.h"
#include "archives/codecs/lzma_decoder.h"

namespace tessaro::archives {

// Each method's decoder registers here as it is written.
bool isSupportedMethod(std::uint16_t method) {
    switch (method % 128) {
        case 12: return true;  // bzip2
        case 14: return true;  // LZMA
        default: return false;
    }
}

void decodeEntryData(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    switch (coding.method % 128) {
        case 12: return decodeBzip2(coding, compressed, out);
        case 14: return decodeLzma(coding, compressed, out);
        default: throw UnsupportedMethodError();
    }
}

}  // namespace tessaro::archives
