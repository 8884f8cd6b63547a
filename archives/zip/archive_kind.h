// Deciding what kind of archive a file is, from its name and its first and last bytes.
//
// The extension proposes a kind and the content confirms or overrules it; a file that does
// not exist yet, or is empty, is judged by its extension alone (so a package about to be
// created counts as a ZIP by its ".zip").
#pragma once

#include <filesystem>

namespace tessaro::archives::zip {

enum class ArchiveKind {
    unknown,
    zip,
    zipMultiDisk,
    zipSelfExtracting,
    tar,
    gzip,
    tarGzip,
    bzip2,
    tarBzip2,
    cabinet,
};

bool isZipKind(ArchiveKind kind);

// The kind of `file`. Never throws: an unreadable file counts as empty.
ArchiveKind detectArchiveKind(const std::filesystem::path& file);

}  // namespace tessaro::archives::zip
