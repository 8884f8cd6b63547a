// Running the independent tools the tests check our files with (unzip, 7zz, cabextract), and
// reading back what they extract.
#pragma once

#include "platform/file_open.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

// The peer tools are Linux programs, which the Windows build's tests (run under Wine) cannot
// start. A test that needs them begins with TESSARO_NEEDS_PEER_TOOLS("unzip", "7zz"): on
// Windows it is skipped with the reason, and scripts/test-windows.sh checks the Windows
// build's output with the peers instead. On Linux scripts/install-deps.sh always installs
// them, so a missing one fails the test: a skip would turn an independent check into a pass
// without anyone noticing. TESSARO_POSIX_ONLY skips a test of what only a POSIX file system
// does on Windows.
#ifdef _WIN32
#define TESSARO_NEEDS_PEER_TOOLS(...)                                                   \
    GTEST_SKIP() << "needs " << ::tessaro::testing::peers::joined({__VA_ARGS__}) \
                 << ", Linux tools the Windows build's tests cannot run"
#define TESSARO_POSIX_ONLY(why) GTEST_SKIP() << "checks POSIX behaviour: " why
#else
#define TESSARO_NEEDS_PEER_TOOLS(...)                                                                     \
    if (const std::string missingPeers = ::tessaro::testing::peers::missing({__VA_ARGS__}); missingPeers.empty()) { \
    } else                                                                                                \
        GTEST_FAIL() << "peer tools not installed: " << missingPeers << " (scripts/install-deps.sh installs them)"
#define TESSARO_POSIX_ONLY(why) static_cast<void>(0)
#endif

namespace tessaro::testing::peers {

inline std::string joined(std::initializer_list<const char*> tools) {
    std::string text;
    for (const char* tool : tools) text += (text.empty() ? "" : ", ") + std::string(tool);
    return text;
}

// The tools of `tools` the shell cannot find, as "a, b"; empty when it finds them all.
inline std::string missing(std::initializer_list<const char*> tools) {
    std::string text;
    for (const char* tool : tools)
        if (std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) != 0)
            text += (text.empty() ? "" : ", ") + std::string(tool);
    return text;
}

struct Outcome {
    int exitCode = -1;
    std::string output;  // standard output and standard error together
};

inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string shellQuote(const std::filesystem::path& path) { return shellQuote(path.string()); }

inline Outcome run(const std::string& command) {
    Outcome outcome;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
    const int status = ::pclose(pipe);
#ifdef _WIN32
    outcome.exitCode = status;
#else
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return outcome;
}

// What unzip -t, 7zz t (for ZIP packages) or cabextract -t (for cabinets) complain about;
// empty when every tool reads the file cleanly.
inline std::string packageComplaints(const std::filesystem::path& package) {
    std::string complaints;
    for (const std::string& command : {"unzip -tqq " + shellQuote(package), "7zz t -bd " + shellQuote(package)}) {
        const Outcome outcome = run(command);
        if (outcome.exitCode != 0) complaints += command + ": " + outcome.output + "\n";
    }
    return complaints;
}

inline std::string cabinetComplaints(const std::filesystem::path& cabinet) {
    const Outcome outcome = run("cabextract -t " + shellQuote(cabinet));
    return outcome.exitCode == 0 ? std::string() : "cabextract -t: " + outcome.output;
}

// Every regular file below `folder`, by path relative to it, with its bytes.
inline std::map<std::string, std::string> readTree(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::FILE* file = platform::openFile(entry.path(), "rb");
        std::string bytes;
        char buffer[65536];
        std::size_t got;
        while (file != nullptr && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        if (file != nullptr) std::fclose(file);
        files[std::filesystem::relative(entry.path(), folder).generic_string()] = std::move(bytes);
    }
    return files;
}

// Unpacks a ZIP package with unzip, or a cabinet with cabextract (names as code page 950),
// into `folder`; the tool's complaint, or empty.
inline std::string unzipInto(const std::filesystem::path& package, const std::filesystem::path& folder) {
    const Outcome outcome = run("unzip -qq -o " + shellQuote(package) + " -d " + shellQuote(folder));
    return outcome.exitCode == 0 ? std::string() : outcome.output;
}

inline std::string cabextractInto(const std::filesystem::path& cabinet, const std::filesystem::path& folder) {
    const Outcome outcome = run("cabextract -q -e CP950 -d " + shellQuote(folder) + " " + shellQuote(cabinet));
    return outcome.exitCode == 0 ? std::string() : outcome.output;
}

}  // namespace tessaro::testing::peers
