// What every fuzz target shares.
//
// A target feeds one input to one part of the program and lets the sanitizers and a few
// checks of its own judge the outcome. A tessaro::Error is a sound outcome: it is the clear
// error the user is shown for bad input. Anything else that escapes (another exception, a
// crash, a sanitizer report, a failed check) is a finding.
//
// Parts that read files get the input written to a file of the process's own in the
// temporary folder (set TMPDIR to a memory file system for speed); it is rewritten for each
// input and removed when the process ends.
#pragma once

#include "archives/io/byte_stream.h"
#include "platform/error.h"
#include "platform/file_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace tessaro::fuzz {

// A finding: says what failed and where, then aborts so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) ::tessaro::fuzz::fail(#condition, __FILE__, __LINE__); \
    } while (false)

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Runs `body`; the program's own errors end it soundly.
template <class Body>
void expectingErrors(Body&& body) {
    try {
        body();
    } catch (const tessaro::Error&) {
    }
}

// A folder of this process's own below the temporary folder, removed at exit.
class ScratchArea {
public:
    ScratchArea()
        : folder_(std::filesystem::temp_directory_path() /
                  ("tessaro-fuzz-" + std::to_string(std::random_device{}()))) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~ScratchArea() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    ScratchArea(const ScratchArea&) = delete;
    ScratchArea& operator=(const ScratchArea&) = delete;

    const std::filesystem::path& folder() const { return folder_; }

    // Writes `bytes` to the file `name` in the area, replacing what was there.
    std::filesystem::path write(const std::string& name, std::string_view bytes) const {
        const auto path = folder_ / name;
        platform::writeFileBytes(path, bytes);
        return path;
    }

private:
    std::filesystem::path folder_;
};

// A sink that counts and never takes more than `limit` bytes: every decoder promises to
// write exactly the entry's declared size.
class BoundedSink final : public archives::ByteSink {
public:
    explicit BoundedSink(std::uint64_t limit) : limit_(limit) {}
    void write(std::span<const std::uint8_t> data) override {
        count_ += data.size();
        FUZZ_CHECK(count_ <= limit_);
    }
    std::uint64_t count() const { return count_; }

private:
    std::uint64_t limit_;
    std::uint64_t count_ = 0;
};

}  // namespace tessaro::fuzz
