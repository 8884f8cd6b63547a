// What a production run did with each case of its list: the ground for the check of its
// packages after the run and for the run's record (run_record.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaro::production {

enum class CaseFate {
    notReached,  // the run stopped before it
    made,        // its package was written
    passedOver,  // a message passed it over; the run went on
    stoppedRun,  // a message or an error about it stopped the run
};

// A record file as it went into the package: the path the case names, and the size and
// SHA-256 of the copy that was packed.
struct PackedFile {
    std::string source;
    std::uint64_t size = 0;
    std::string sha256;
};

struct CaseEntry {
    std::string category;
    std::string serial;  // the serial text as typed, trimmed
    CaseFate fate = CaseFate::notReached;
    std::string message;  // what the user was shown about the case, if anything
    std::filesystem::path package;
    std::vector<PackedFile> files;
    std::vector<std::string> problems;  // what the check after the run found in the package
    std::uint64_t packageSize = 0;
    std::string packageSha256;
};

using RunJournal = std::vector<CaseEntry>;

}  // namespace tessaro::production
