#include "production/package_owner.h"

#include "archives/codecs/entry_decoder.h"
#include "archives/io/byte_stream.h"
#include "archives/zip/archive_loader.h"
#include "archives/zip/checksum_streams.h"
#include "archives/name_matching.h"
#include "archives/zip/entry_data.h"
#include "platform/code_page.h"
#include "platform/random_access_file.h"

#include <cstdint>
#include <string_view>

namespace tessaro::production {
namespace {

// A feereview document is a few kilobytes; anything much larger is not one of ours.
constexpr std::uint64_t kLargestDocument = 1u << 20;

// The package's one document entry ("XML….XML"); nothing when there is none or more than one.
const archives::ZipEntry* documentEntry(const archives::zip::LoadedArchive& archive) {
    const archives::ZipEntry* found = nullptr;
    for (const archives::ZipEntry& entry : archive.entries) {
        const std::string name = archives::asciiUpper(entry.name);
        if (!name.starts_with("XML") || !name.ends_with(".XML")) continue;
        if (found) return nullptr;
        found = &entry;
    }
    return found;
}

std::optional<std::string> entryBytes(archives::zip::LoadedArchive& archive, const archives::ZipEntry& entry) {
    if (entry.isEncrypted() || entry.isFolder() || entry.uncompressedSize > kLargestDocument) return std::nullopt;
    if (entry.uncompressedSize != 0 && !archives::isSupportedMethod(entry.method)) return std::nullopt;
    auto data = archives::zip::openEntryData(*archive.volumes, entry);
    archives::MemorySink bytes;
    archives::zip::CrcSink checked(bytes);
    const archives::EntryCoding coding{entry.method, entry.flags, entry.compressedSize, entry.uncompressedSize};
    if (entry.uncompressedSize != 0) archives::decodeEntryData(coding, data, checked);
    if (checked.count() != entry.uncompressedSize || checked.crc() != entry.crc) return std::nullopt;
    return bytes.str();
}

// The document's bytes up to and including the line of c10 (written as "<c10>…</c10>" and a
// line break; the ID number never holds one).
constexpr std::string_view kHeadEnd = "</c10>\r\n";

std::optional<DocumentCase> caseInDocument(std::string_view document) {
    const std::size_t end = document.find(kHeadEnd);
    if (end == std::string_view::npos) return std::nullopt;
    return DocumentCase{std::string(document.substr(0, end + kHeadEnd.size()))};
}

}  // namespace

DocumentCase documentCaseOf(const ClaimHeader& header, const ClaimCase& claimCase) {
    // As the document is saved: its lines in code page 950, each ended by CR LF.
    FeeReviewDocument document;
    document.begin(header, claimCase);
    std::string text;
    for (const std::string& line : document.lines()) text += line + "\r\n";
    return {platform::encodeCodePage(text)};
}

std::optional<DocumentCase> packagedCase(const std::filesystem::path& package) noexcept {
    try {
        archives::zip::LoaderEnvironment environment;
        auto archive =
            archives::zip::loadArchive(platform::RandomAccessFile(package, platform::RandomAccessFile::Mode::read), environment);
        const archives::ZipEntry* entry = documentEntry(archive);
        if (!entry) return std::nullopt;
        const auto document = entryBytes(archive, *entry);
        if (!document) return std::nullopt;
        return caseInDocument(*document);
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace tessaro::production
