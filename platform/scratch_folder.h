// A fresh folder for scratch files, removed with everything in it when the object goes.
//
// The package checker unpacks a package and its cabinets into one, so that it reads them
// exactly as a receiving side would read files on disk.
#pragma once

#include <filesystem>

namespace tessaro::platform {

class ScratchFolder {
public:
    // Creates "tessaro-<random>" in the system's folder for temporary files. Throws
    // tessaro::Error with the cannot-create text when no folder can be made.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tessaro::platform
