// ZIP method 98: PPMd variant I revision 1.
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodePpmd(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
