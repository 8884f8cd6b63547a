#include "archives/codecs/entry_decoder.h"

#include "archives/codecs/bzip2_decoder.h"
#include "archives/codecs/implode_decoder.h"
#include "archives/codecs/lzma_decoder.h"
#include "archives/codecs/ppmd_decoder.h"
#include "archives/codecs/reduce_decoder.h"
#include "archives/codecs/shrink_decoder.h"
#include "archives/codecs/stored_copy.h"
#include "archives/codecs/wavpack_decoder.h"
#include "archives/deflate/inflate_decoder.h"
#include "archives/io/decode_error.h"
#include "archives/io/limited_source.h"

namespace tessaro::archives {

bool isSupportedMethod(std::uint16_t method) {
    switch (method % 128) {
        case 0:                                      // stored
        case 1:                                      // Shrink
        case 2: case 3: case 4: case 5:              // Reduce
        case 6:                                      // Implode
        case 8: case 9:                              // Deflate, Deflate64
        case 12:                                     // bzip2
        case 14:                                     // LZMA
        case 97:                                     // WavPack
        case 98: return true;                        // PPMd
        default: return false;
    }
}

void decodeEntryData(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    // No decoder may read past the entry's compressed bytes.
    LimitedSource data(compressed, coding.compressedSize);
    switch (coding.method % 128) {
        case 0: return copyStored(data, out, coding.uncompressedSize);
        case 1: return decodeShrink(coding, data, out);
        case 2: case 3: case 4: case 5: return decodeReduce(coding, coding.method % 128 - 1u, data, out);
        case 6: return decodeImplode(coding, data, out);
        case 8: InflateDecoder(InflateDecoder::Variant::Deflate).decode(data, out, coding.uncompressedSize); return;
        case 9: InflateDecoder(InflateDecoder::Variant::Deflate64).decode(data, out, coding.uncompressedSize); return;
        case 12: return decodeBzip2(coding, data, out);
        case 14: return decodeLzma(coding, data, out);
        case 97: return decodeWavpack(coding, data, out);
        case 98: return decodePpmd(coding, data, out);
        default: throw UnsupportedMethodError();
    }
}

}  // namespace tessaro::archives
