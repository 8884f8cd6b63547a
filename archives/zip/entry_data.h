// Where one entry's compressed data lies in its archive.
//
// The central directory says where an entry's local header starts; the data follows that
// header, whose own name and extra lengths (not the central directory's) say how far. The
// extractor and anything else that reads entry data open it here.
#pragma once

#include "archives/zip/volume_set.h"
#include "archives/zip/zip_entry.h"

namespace tessaro::archives::zip {

// A reader of exactly the entry's compressed bytes. Throws "Invalid file - not a PKZip
// file" when no local header is where the entry says, and the cannot-read text when the
// archive ends inside that header.
VolumeReader openEntryData(VolumeSet& volumes, const ZipEntry& entry);

}  // namespace tessaro::archives::zip
