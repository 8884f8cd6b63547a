#include "archives/codecs/entry_decoder.h"

#include "archives/codecs/decode_error.h"
#include "archives/codecs/stored_copy.h"
#include "archives/deflate/inflate_decoder.h"
#include "archives/io/limited_source.h"

namespace tessaro::archives {

// Each method's decoder registers here as it is written.
bool isSupportedMethod(std::uint16_t method) {
    switch (method % 128) {
        case 0:
        case 8:
        case 9: return true;
        default: return false;
    }
}

void decodeEntryData(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    // No decoder may read past the entry's compressed bytes.
    LimitedSource data(compressed, coding.compressedSize);
    switch (coding.method % 128) {
        case 0: copyStored(data, out, coding.uncompressedSize); break;
        case 8: InflateDecoder(InflateDecoder::Variant::Deflate).decode(data, out, coding.uncompressedSize); break;
        case 9: InflateDecoder(InflateDecoder::Variant::Deflate64).decode(data, out, coding.uncompressedSize); break;
        default: throw UnsupportedMethodError();
    }
}

}  // namespace tessaro::archives
