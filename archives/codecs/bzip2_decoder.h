// ZIP method 12: a bzip2 stream, decoded by libbz2.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodeBzip2(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
