// ZIP methods 2-5: Reduce with compression factor 1-4.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

// `factor` is the compression factor, 1 to 4 (method number minus 1).
void decodeReduce(const EntryCoding& coding, unsigned factor, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
