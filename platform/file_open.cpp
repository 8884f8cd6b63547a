#include "platform/file_open.h"

#include <string>

namespace tessaro::platform {

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
    const std::string narrow(mode);
    return ::_wfopen(path.c_str(), std::wstring(narrow.begin(), narrow.end()).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool seekFile(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return ::_fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace tessaro::platform
