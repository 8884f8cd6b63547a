// Helpers for the cabinet tests: running the peer tools, setting file times, test data.
#pragma once

#include "tests/support/peer_tools.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

namespace tessaro::testing {

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command with stderr joined to stdout.
inline CommandResult runCommand(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    result.status = ::pclose(pipe);
    return result;
}

inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string shellQuote(const std::filesystem::path& path) { return shellQuote(path.string()); }

inline void setModificationTime(const std::filesystem::path& path, std::time_t t) {
    const auto sys = std::chrono::system_clock::from_time_t(t);
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(sys));
}

inline std::time_t modificationTime(const std::filesystem::path& path) {
    const auto sys = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(path));
    return std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
}

// Text-like bytes that compress well but not trivially.
inline std::string textLikeBytes(size_t size, unsigned seed) {
    static const char* const words[] = {"<claim>", "</claim>", "patient ", "visit ", "2023", "fee ", "code=",
                                        "\r\n", "A01 ", "drug ", "amount=", "1280 ", "<t2>", "</t2>"};
    std::mt19937 rng(seed);
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size) out += words[rng() % std::size(words)];
    out.resize(size);
    return out;
}

inline std::string randomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (auto& c : out) c = static_cast<char>(rng());
    return out;
}

}  // namespace tessaro::testing
