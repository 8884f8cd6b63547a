// tessaro-cli run as a separate program in a fresh folder: its exit status, standard output
// and standard error.
#pragma once

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tessaro::cli {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::string shellArg(const std::string& arg) {
    std::string q = "'";
    for (const char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CliTest : public ::testing::Test {
protected:
    tessaro::testing::TempDir dir;

#ifdef _WIN32
    void SetUp() override {
        GTEST_SKIP() << "drives tessaro-cli through a POSIX shell; scripts/test-windows.sh compares the Windows "
                        "command line with the Linux one byte for byte";
    }
#endif

    Outcome cli(const std::vector<std::string>& args) const { return shell(shellArg(TESSARO_CLI), args); }

    // Runs `program` with `args` from the folder `cwd` (default: the test's own).
    Outcome shell(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) const {
        std::string command = program;
        for (const auto& arg : args) command += " " + shellArg(arg);
        if (!cwd.empty()) command = "cd " + shellArg(cwd.string()) + " && " + command;
        const std::filesystem::path out = dir / "stdout.txt", err = dir / "stderr.txt";
        const int raw = std::system(("(" + command + ") >" + shellArg(out.string()) + " 2>" + shellArg(err.string()) + " </dev/null").c_str());
#ifdef _WIN32
        const int status = raw;
#else
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
        return {status, tessaro::testing::readBytes(out), tessaro::testing::readBytes(err)};
    }
};

}  // namespace tessaro::cli
