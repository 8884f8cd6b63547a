// Kept files on POSIX: link(2), else a copy made with its mode and times; rename(2) restores.
#include "platform/kept_file.h"

#include "platform/temp_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tessaro::platform {
namespace {

constexpr int kNameAttempts = 100;

// A descriptor closed when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool copyAll(int in, int out) {
    std::vector<char> piece(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in, piece.data(), piece.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, piece.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

// Copies `file` to the new file `kept` with its permissions and times, written to the device.
// Gives 0 or the failure's errno; `created` tells whether `kept` was made.
int copyInto(const std::filesystem::path& file, const std::filesystem::path& kept, bool& created) {
    const Descriptor in{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (in.fd < 0 || ::fstat(in.fd, &st) != 0) return errno;
    const Descriptor out{::open(kept.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)};
    if (out.fd < 0) return errno;
    created = true;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const bool copied = copyAll(in.fd, out.fd) && ::fchmod(out.fd, st.st_mode & 07777) == 0 &&
                        ::futimens(out.fd, times) == 0 && ::fsync(out.fd) == 0;
    return copied ? 0 : (errno ? errno : EIO);
}

}  // namespace

std::optional<KeptFile> KeptFile::keep(const std::filesystem::path& file, std::string_view prefix, std::string& reason) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    bool linksWork = true;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path kept = folder / (std::string(prefix) + temporaryNameSuffix());
        if (linksWork && ::link(file.c_str(), kept.c_str()) == 0) return KeptFile(file, kept);
        if (linksWork && errno != EEXIST) linksWork = false;  // no hard links here: copy instead
        if (linksWork) continue;
        bool created = false;
        const int error = copyInto(file, kept, created);
        if (error == 0) return KeptFile(file, kept);
        if (created) ::unlink(kept.c_str());
        if (!created && error == EEXIST) continue;
        reason = std::strerror(error);
        return std::nullopt;
    }
    reason = std::strerror(EEXIST);
    return std::nullopt;
}

bool KeptFile::restore(std::string& reason) {
    if (::rename(kept_.c_str(), file_.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    owned_ = false;
    return true;
}

void KeptFile::discard() noexcept {
    if (owned_) ::unlink(kept_.c_str());
    owned_ = false;
}

}  // namespace tessaro::platform
