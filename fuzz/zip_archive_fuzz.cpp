// Fuzz target: loading a ZIP archive and extracting every entry of every method.
//
// The input is the archive. It is loaded as the extractor and the writer load archives,
// then each entry's data is opened where its local header says and decoded through the
// method dispatch into a memory sink, its CRC-32 computed as extraction computes it. Each
// name is also resolved as extraction resolves it: a name that is accepted never climbs out
// of the base folder.
#include "archives/codecs/entry_decoder.h"
#include "archives/zip/archive_loader.h"
#include "archives/zip/checksum_streams.h"
#include "archives/zip/entry_data.h"
#include "archives/zip/output_path.h"
#include "fuzz/fuzz_support.h"
#include "platform/random_access_file.h"

namespace {

using namespace tessaro;

// Entries declaring more than this are passed over: decoding them would only write longer.
constexpr std::uint64_t kLargestEntry = 4u << 20;

void checkConfined(const std::string& name) {
    for (const bool lastOnly : {false, true}) {
        const auto relative = archives::zip::confinedRelativePath(name, lastOnly);
        if (!relative) continue;
        FUZZ_CHECK(!relative->empty() && relative->is_relative() && !relative->has_root_name());
        for (const auto& part : *relative) FUZZ_CHECK(part != ".." && part != ".");
    }
}

void decodeEntry(archives::zip::VolumeSet& volumes, const archives::ZipEntry& entry) {
    if (entry.uncompressedSize > kLargestEntry || entry.isEncrypted() || entry.isFolder()) return;
    if (entry.uncompressedSize != 0 && !archives::isSupportedMethod(entry.method)) return;
    fuzz::expectingErrors([&] {
        auto data = archives::zip::openEntryData(volumes, entry);
        fuzz::BoundedSink counted(entry.uncompressedSize);
        archives::zip::CrcSink checked(counted);
        archives::EntryCoding coding{entry.method, entry.flags, entry.compressedSize, entry.uncompressedSize};
        if (entry.uncompressedSize != 0) archives::decodeEntryData(coding, data, checked);
        FUZZ_CHECK(checked.count() == entry.uncompressedSize);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchArea area;
    const auto path = area.write("input.zip", fuzz::asText(data, size));
    fuzz::expectingErrors([&] {
        archives::zip::LoaderEnvironment environment;
        auto archive = archives::zip::loadArchive(
            platform::RandomAccessFile(path, platform::RandomAccessFile::Mode::read), environment);
        for (const auto& entry : archive.entries) {
            checkConfined(entry.name);
            decodeEntry(*archive.volumes, entry);
        }
    });
    return 0;
}
