#include "archives/zip/archive_kind.h"

#include "archives/zip/end_record_search.h"
#include "archives/zip/name_mask.h"
#include "archives/zip/zip_format.h"
#include "platform/random_access_file.h"

#include <array>
#include <cstring>
#include <optional>

namespace tessaro::archives::zip {
namespace {

std::optional<ArchiveKind> kindByExtension(const std::filesystem::path& file) {
    const std::string ext = asciiUpper(file.extension().string());
    if (ext == ".ZIP" || ext == ".JAR") return ArchiveKind::zip;
    if (ext == ".EXE") return ArchiveKind::zipSelfExtracting;
    if (ext == ".TAR") return ArchiveKind::tar;
    if (ext == ".GZ") return ArchiveKind::gzip;
    if (ext == ".TGZ") return ArchiveKind::tarGzip;
    if (ext == ".CAB") return ArchiveKind::cabinet;
    if (ext == ".BZ2") return ArchiveKind::bzip2;
    if (ext == ".TBZ") return ArchiveKind::tarBzip2;
    return std::nullopt;
}

class Content {
public:
    explicit Content(const platform::RandomAccessFile& file) : file_(file) {
        head_.fill(0);
        headLength_ = file.readAt(0, head_);
    }
    bool startsWith(std::string_view magic) const {
        return headLength_ >= magic.size() && std::memcmp(head_.data(), magic.data(), magic.size()) == 0;
    }
    bool hasAt(size_t offset, std::string_view magic) const {
        return headLength_ >= offset + magic.size() && std::memcmp(head_.data() + offset, magic.data(), magic.size()) == 0;
    }

    ArchiveKind zipCheck() const {
        if (headLength_ >= 4 && getU32(head_.data()) == kSpannedMarker) return ArchiveKind::zipMultiDisk;
        const auto end = findEndRecord(file_);
        if (!end) return ArchiveKind::unknown;
        std::array<std::uint8_t, 2> disk{};
        if (file_.readAt(*end + 4, disk) != disk.size()) return ArchiveKind::unknown;
        return (disk[0] | disk[1]) == 0 ? ArchiveKind::zip : ArchiveKind::zipMultiDisk;
    }
    ArchiveKind selfExtractingCheck() const {
        const bool program = startsWith("MZ") || startsWith("\x7F" "ELF");
        return program && zipCheck() == ArchiveKind::zip ? ArchiveKind::zipSelfExtracting : ArchiveKind::unknown;
    }
    bool isTar() const { return hasAt(257, "ustar"); }
    bool isGzip() const { return startsWith("\x1F\x8B"); }
    bool isBzip2() const { return startsWith("BZh"); }
    bool isCabinet() const { return startsWith("MSCF"); }

private:
    const platform::RandomAccessFile& file_;
    std::array<std::uint8_t, 512> head_;
    size_t headLength_ = 0;
};

ArchiveKind checkProposal(ArchiveKind proposal, const Content& content) {
    switch (proposal) {
        case ArchiveKind::zip: return content.zipCheck();
        case ArchiveKind::zipSelfExtracting: return content.selfExtractingCheck();
        case ArchiveKind::tar: return content.isTar() ? ArchiveKind::tar : ArchiveKind::unknown;
        case ArchiveKind::gzip: return content.isGzip() ? ArchiveKind::gzip : ArchiveKind::unknown;
        case ArchiveKind::tarGzip: return content.isGzip() ? ArchiveKind::tarGzip : ArchiveKind::unknown;
        case ArchiveKind::bzip2: return content.isBzip2() ? ArchiveKind::bzip2 : ArchiveKind::unknown;
        case ArchiveKind::tarBzip2: return content.isBzip2() ? ArchiveKind::tarBzip2 : ArchiveKind::unknown;
        case ArchiveKind::cabinet: return content.isCabinet() ? ArchiveKind::cabinet : ArchiveKind::unknown;
        default: return ArchiveKind::unknown;
    }
}

ArchiveKind tryEveryKind(const Content& content) {
    if (const auto kind = content.selfExtractingCheck(); kind != ArchiveKind::unknown) return kind;
    if (const auto kind = content.zipCheck(); kind != ArchiveKind::unknown) return kind;
    if (content.isTar()) return ArchiveKind::tar;
    if (content.isGzip()) return ArchiveKind::gzip;
    if (content.isBzip2()) return ArchiveKind::bzip2;
    if (content.isCabinet()) return ArchiveKind::cabinet;
    return ArchiveKind::unknown;
}

}  // namespace

bool isZipKind(ArchiveKind kind) {
    return kind == ArchiveKind::zip || kind == ArchiveKind::zipMultiDisk || kind == ArchiveKind::zipSelfExtracting;
}

ArchiveKind detectArchiveKind(const std::filesystem::path& file) {
    const auto proposal = kindByExtension(file);
    try {
        const platform::RandomAccessFile opened(file, platform::RandomAccessFile::Mode::read);
        if (opened.size() == 0) return proposal.value_or(ArchiveKind::unknown);
        const Content content(opened);
        return proposal ? checkProposal(*proposal, content) : tryEveryKind(content);
    } catch (const tessaro::Error&) {
        return proposal.value_or(ArchiveKind::unknown);
    }
}

}  // namespace tessaro::archives::zip
