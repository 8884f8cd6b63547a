// The size and SHA-256 of a file, read in pieces of 1 MiB: what the run's record says of each
// record file it packed and of each package.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tessaro::production {

struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;  // 64 lower-case hexadecimal digits
};

// Throws tessaro::Error with the cannot-open text when the file cannot be read.
FileDigest digestOf(const std::filesystem::path& file);

}  // namespace tessaro::production
