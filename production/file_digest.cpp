#include "production/file_digest.h"

#include "archives/checksum/sha256.h"
#include "platform/error.h"
#include "platform/file_io.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace tessaro::production {

FileDigest digestOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(platform::cannotOpenText(file, std::strerror(errno)));
    archives::Sha256 sha;
    std::vector<char> piece(1 << 20);
    FileDigest digest;
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        sha.update({reinterpret_cast<const std::uint8_t*>(piece.data()), got});
        digest.size += got;
    }
    if (in.bad()) throw Error(platform::cannotOpenText(file, std::strerror(errno)));
    digest.sha256 = sha.finishHex();
    return digest;
}

}  // namespace tessaro::production
