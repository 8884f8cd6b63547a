// Building an entry's data from its file: attributes, time, method, CRC-32 and sizes.
//
// The data goes into a staging store of its own. With the best-method choice the file is
// deflated first; when that does not pay (the Deflate data is longer than the file, as for
// cabinets and other compressed files) the file is read again and stored.
#pragma once

#include "archives/zip/entry_compression.h"
#include "archives/zip/staging_store.h"
#include "archives/zip/zip_entry.h"

#include <filesystem>
#include <memory>

namespace tessaro::archives {

// CompressionMethodToUse.
enum class CompressionMethod { smStored, smDeflated, smBestMethod };

namespace zip {

struct BuildSettings {
    CompressionMethod method = CompressionMethod::smBestMethod;
    DeflationOption deflation = DeflationOption::doNormal;
    std::filesystem::path baseDirectory;  // relative disk file names are taken against it
    std::filesystem::path swapFolder;
    SwapFileFactory swapFiles = systemSwapFiles();
    size_t residentPages = StagingStore::kMaxResidentPages;
};

// Version needed and version made by from the entry's host byte, method, flags, attributes
// and central extra field.
void setVersionNumbers(ZipEntry& entry);

// Reads the entry's disk file and returns its data; sets the entry's attributes, time,
// date, method, flags, CRC-32, sizes and version numbers. Throws "File not found" for a
// file that is gone and the platform's errors for one that cannot be read.
std::unique_ptr<StagingStore> buildEntryData(ZipEntry& entry, const BuildSettings& settings);

}  // namespace zip
}  // namespace tessaro::archives
