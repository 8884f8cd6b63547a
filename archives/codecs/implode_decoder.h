// ZIP method 6: Implode (sliding dictionary with Shannon-Fano coded literals, lengths and
// distances).
#pragma once

#include "archives/codecs/entry_decoder.h"

namespace tessaro::archives {

void decodeImplode(const EntryCoding& coding, ByteSource& compressed, ByteSink& out);

}  // namespace tessaro::archives
