#include "archives/zip/entry_data.h"

#include "archives/io/little_endian.h"
#include "archives/zip/zip_errors.h"
#include "archives/zip/zip_format.h"
#include "platform/random_access_file.h"

#include <array>

namespace tessaro::archives::zip {

VolumeReader openEntryData(VolumeSet& volumes, const ZipEntry& entry) {
    std::array<std::uint8_t, kLocalHeaderSize> header{};
    VolumeReader headerReader(volumes, entry.firstDisk, entry.localHeaderOffset, header.size());
    if (headerReader.readFully(header) != header.size())
        throw platform::FileIoError(platform::cannotReadText(volumes.archiveFile().path(), "The file ends too early"), 0);
    ByteReader in(header);
    if (in.u32() != kLocalHeaderSignature) throw ZipError(ZipCode::notPkZip, zip_text::kNotPkZip);
    in.skip(22);
    const std::uint16_t nameLength = in.u16();
    const std::uint16_t extraLength = in.u16();
    VolumeReader data(volumes, entry.firstDisk, entry.localHeaderOffset,
                      kLocalHeaderSize + nameLength + extraLength + entry.compressedSize);
    data.seek(kLocalHeaderSize + nameLength + extraLength);
    return VolumeReader(volumes, data.disk(), data.diskOffset(), entry.compressedSize);
}

}  // namespace tessaro::archives::zip
