// ZIP method 14: LZMA data after the ZIP LZMA header, decoded by liblzma.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodeLzma(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
