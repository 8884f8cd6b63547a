// ZIP method 1: Shrink, dynamic LZW with partial clearing.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodeShrink(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
