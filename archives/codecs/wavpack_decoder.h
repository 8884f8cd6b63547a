// ZIP method 97: a WavPack stream, decoded by libwavpack back into the original audio file.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodeWavpack(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
