// The DOS attribute bits of an entry, whoever wrote it.
//
// DOS and Windows writers put the attribute bits into the low byte of the external
// attributes; Unix writers (host byte 3) put a Unix mode into the upper 16 bits. A value of
// 0x20000 or more holds a mode whatever the host byte says, since no DOS attribute lies that
// high. The extractor applies these bits and the listing shows them, so both read them here.
#pragma once

#include "archives/zip/zip_entry.h"

#include <cstdint>

namespace tessaro::archives::zip {

// Read-only (0x01), hidden (0x02), system (0x04), folder (0x10) and archive (0x20) bits. From
// a Unix mode: read-only when the owner may not write, system for FIFOs, devices, symbolic
// links and sockets, folder for directories.
std::uint32_t dosAttributesOf(const ZipEntry& entry);

}  // namespace tessaro::archives::zip
