// A whole file's bytes in memory: mapped where that is safe, read into a buffer otherwise.
//
// The fee declaration (150 MB and more) is searched afresh at every case lookup. Reading it
// means allocating a buffer of that size, faulting in every page of it and copying the file
// into it; a read-only mapping of the file skips all three, so a lookup costs little more
// than the search itself. The mapping lives only as long as the object: one lookup or one
// import, as a read would.
//
// A mapped file must not shrink or vanish while it is mapped: on a POSIX system an access
// beyond a truncated end raises SIGBUS, and on Windows a network or removable drive that
// goes away raises an in-page error, either of which ends the program. So only regular,
// non-empty files on local file systems (fixed drives on Windows) are mapped. On Windows a
// mapped file cannot be truncated by anyone, and the file stays open with writing denied to
// others, as a read shares it. On POSIX systems there is no such lock; a program that
// truncates the declaration in place during the tenth of a second a lookup takes would
// still end ours (editors save by writing a new file and renaming it, which is harmless).
//
// Every other case (and any mapping that fails) reads the file with readFileBytes, which
// also produces every error text: the mapping path never throws on its own.
#pragma once

#include "platform/file_io.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tessaro::platform {

class FileBytes {
public:
    // The bytes of `path`, mapped or read. Throws what readFileBytes throws (the too-long
    // text for files of `sizeLimit` bytes or more, the cannot-open text otherwise).
    static FileBytes load(const std::filesystem::path& path, std::uintmax_t sizeLimit = kMaxTextFileSize);

    // Bytes already in memory (a decoded text, a test's input).
    explicit FileBytes(std::string bytes);

    ~FileBytes();
    FileBytes(FileBytes&&) noexcept;
    FileBytes& operator=(FileBytes&&) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view view() const;
    bool isMapped() const { return mapping_ != nullptr; }

private:
    class Mapping;  // the platform's half: the mapped view and what keeps it alive
    explicit FileBytes(std::unique_ptr<Mapping> mapping);

    std::unique_ptr<Mapping> mapping_;
    std::string buffer_;  // used when not mapped
};

}  // namespace tessaro::platform
