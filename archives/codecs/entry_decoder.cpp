#include "archives/codecs/entry_decoder.h"

#include "archives/codecs/bzip2_decoder.h"
#include "archives/codecs/decode_error.h"
#include "archives/codecs/implode_decoder.h"
#include "archives/codecs/lzma_decoder.h"
#include "archives/codecs/ppmd_decoder.h"
#include "archives/codecs/reduce_decoder.h"
#include "archives/codecs/shrink_decoder.h"
#include "archives/codecs/wavpack_decoder.h"

namespace tessaro::archives {

// Each method's decoder registers here as it is written.
bool isSupportedMethod(std::uint16_t method) {
    switch (method % 128) {
        case 1: return true;                                  // Shrink
        case 2: case 3: case 4: case 5: return true;          // Reduce
        case 6: return true;                                  // Implode
        case 12: return true;                                 // bzip2
        case 14: return true;                                 // LZMA
        case 97: return true;                                 // WavPack
        case 98: return true;                                 // PPMd
        default: return false;
    }
}

void decodeEntryData(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    switch (coding.method % 128) {
        case 1: return decodeShrink(coding, compressed, out);
        case 2: case 3: case 4: case 5: return decodeReduce(coding, coding.method % 128 - 1u, compressed, out);
        case 6: return decodeImplode(coding, compressed, out);
        case 12: return decodeBzip2(coding, compressed, out);
        case 14: return decodeLzma(coding, compressed, out);
        case 97: return decodeWavpack(coding, compressed, out);
        case 98: return decodePpmd(coding, compressed, out);
        default: throw UnsupportedMethodError();
    }
}

}  // namespace tessaro::archives
