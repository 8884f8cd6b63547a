#include "archives/zip/entry_attributes.h"

#include "platform/file_attributes.h"

namespace tessaro::archives::zip {

std::uint32_t dosAttributesOf(const ZipEntry& entry) {
    const std::uint32_t external = entry.externalAttributes;
    if (entry.hostByte() != kHostUnix && external < 0x20000) return external & 0xFF;
    const std::uint32_t mode = external >> 16;
    std::uint32_t attributes = (mode & 0x80) == 0 ? platform::dos_attr::kReadOnly : 0;
    switch (mode & 0xF000) {
        case 0x1000:  // FIFO
        case 0x2000:  // character device
        case 0x6000:  // block device
        case 0xA000:  // symbolic link
        case 0xC000:  // socket
            attributes |= platform::dos_attr::kSystem;
            break;
        case 0x4000: attributes |= platform::dos_attr::kDirectory; break;
        default: break;
    }
    return attributes;
}

}  // namespace tessaro::archives::zip
