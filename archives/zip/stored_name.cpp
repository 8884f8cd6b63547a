#include "archives/zip/stored_name.h"

#include "archives/zip/name_mask.h"

#include <algorithm>

namespace tessaro::archives::zip {

std::string storedNameFor(std::string_view recordedPath, unsigned storeOptions) {
    std::string name = backslashed(recordedPath);
    name.erase(0, drivePrefixLength(name));
    // A root ("/" here, "\" on a Windows path without drive) is a prefix of the same kind.
    name.erase(0, std::min(name.find_first_not_of('\\'), name.size()));
    if (storeOptions & soStripPath) {
        const size_t sep = name.rfind('\\', name.empty() ? 0 : name.size() - 2);
        if (!name.empty() && name.back() == '\\') {
            // A folder keeps its own name and trailing separator.
            if (sep != std::string::npos) name.erase(0, sep + 1);
        } else if (const size_t last = name.rfind('\\'); last != std::string::npos) {
            name.erase(0, last + 1);
        }
    }
    if (storeOptions & soRemoveDots)
        while (name.starts_with("..\\")) name.erase(0, 3);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace tessaro::archives::zip
