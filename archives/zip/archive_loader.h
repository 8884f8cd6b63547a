// Loading an archive: its end record, zip64 tail, disks and central directory.
//
// Both ZIP components load archives this way: the extractor before extracting, the writer
// when the package it is asked to write already exists. Loading reads only the end records
// and the central directory; entry data and local headers are read when they are needed.
#pragma once

#include "archives/zip/name_codec.h"
#include "archives/zip/volume_set.h"
#include "archives/zip/zip_entry.h"
#include "platform/drive_query.h"
#include "platform/user_port.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tessaro::archives::zip {

struct EndValues : DirectoryEnd {
    std::string comment;  // decoded in the ANSI code page
};

struct LoadedArchive {
    std::unique_ptr<VolumeSet> volumes;
    EndValues end;
    bool multiDisk = false;
    bool selfExtracting = false;
    std::uint64_t programSize = 0;  // bytes before the first entry of a self-extracting archive
    std::vector<ZipEntry> entries;  // in central-directory order, every one with action aaNone
};

struct LoaderEnvironment {
    CodePagePair codePages;
    const platform::DriveQuery* drives = nullptr;  // nullptr: the system's
    UserPort* port = nullptr;                      // needed only for removable disk sets
};

// Loads `archive`, opened for reading. Throws "Invalid file - not a PKZip file" for a file
// without a readable end record or central directory, "Process aborted by user" when a disk
// prompt is cancelled, and platform errors for files that cannot be opened or read.
LoadedArchive loadArchive(platform::RandomAccessFile archive, const LoaderEnvironment& environment);

}  // namespace tessaro::archives::zip
