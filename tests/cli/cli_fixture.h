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
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>
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

#ifndef _WIN32
// tessaro-cli running beside the test, its standard output and error going to files. Killed
// and reaped when the object goes, if it is still running.
class Background {
public:
    Background(const std::vector<std::string>& args, const std::filesystem::path& out, const std::filesystem::path& err) {
        std::vector<std::string> argv = {TESSARO_CLI};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> pointers;
        for (std::string& arg : argv) pointers.push_back(arg.data());
        pointers.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, TESSARO_CLI, &actions, nullptr, pointers.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Background() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) const { ::kill(pid_, number); }
    // True while it has not ended (a stopped process is running).
    bool running() const {
        siginfo_t info{};
        return pid_ > 0 && ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    }
    // The exit status; 128 + the signal's number when a signal ended it.
    int wait() {
        int raw = 0;
        while (::waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    }

private:
    pid_t pid_ = -1;
};

// Polls `condition` every millisecond, for at most a minute; true when it came true.
inline bool waitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
#endif

}  // namespace tessaro::cli
