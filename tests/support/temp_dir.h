// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include "platform/path_text.h"
#include "platform/tree_removal.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace tessaro::testing {

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("tessaro-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    // Read-only entries left by a test go too, and links (which tests make on purpose) lose
    // only themselves.
    ~TempDir() { platform::removeTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / platform::pathFromUtf8(name); }

    // Writes `bytes` to `name` below the folder, creating parent folders; returns the path.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const {
        const auto file = path_ / platform::pathFromUtf8(name);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tessaro::testing
