#include "platform/file_io.h"

#include "platform/error.h"
#include "platform/file_open.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tessaro::platform {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string fullPath(const std::filesystem::path& path) {
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return (ec ? path : absolute).string();
}

std::string systemReason(int error) { return std::strerror(error); }

}  // namespace

std::string cannotOpenText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot open file \"" + fullPath(path) + "\". " + reason;
}

std::string cannotCreateText(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot create file \"" + fullPath(path) + "\". " + reason;
}

std::string readFileBytes(const std::filesystem::path& path, std::uintmax_t sizeLimit) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw Error(cannotOpenText(path, systemReason(EISDIR)));
    errno = 0;
    File file(openFile(path, "rb"));
    if (!file) throw Error(cannotOpenText(path, systemReason(errno)));

    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) throw Error(cannotOpenText(path, ec.message()));
    if (size >= sizeLimit) throw Error("The specified file is too long.");

    std::string bytes(static_cast<size_t>(size), '\0');
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (got != bytes.size() || std::ferror(file.get())) throw Error(cannotOpenText(path, systemReason(errno ? errno : EIO)));
    // A file that grew after the size was taken: read the rest too, within the limit.
    char chunk[65536];
    size_t more;
    while ((more = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, more);
        if (bytes.size() >= sizeLimit) throw Error("The specified file is too long.");
    }
    return bytes;
}

void writeFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    errno = 0;
    File file(openFile(path, "wb"));
    if (!file) throw Error(cannotCreateText(path, systemReason(errno)));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int closeResult = std::fclose(file.release());
    if (!written || closeResult != 0) throw Error(cannotCreateText(path, systemReason(errno ? errno : EIO)));
}

}  // namespace tessaro::platform
