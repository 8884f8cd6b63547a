#include "archives/cab/cabinet_reader.h"

#include "archives/cab/cab_checksum.h"
#include "archives/cab/mszip_frame.h"
#include "archives/io/decode_error.h"

#include <algorithm>
#include <numeric>

namespace tessaro::archives::cab {
namespace {

// ---- Bounded reads ----

std::vector<std::uint8_t> readExactly(ByteSource& source, size_t count, const char* what) {
    std::vector<std::uint8_t> bytes(count);
    if (source.readFully(bytes) != count) throw DecodeError(std::string("truncated cabinet (") + what + ")");
    return bytes;
}

// A zero-terminated string of at most 256 bytes with its terminator.
std::string readName(ByteSource& source, const char* what) {
    std::string name;
    for (;;) {
        std::uint8_t byte;
        if (source.read({&byte, 1}) != 1) throw DecodeError(std::string("truncated cabinet (") + what + ")");
        if (byte == 0) return name;
        if (name.size() == 256) throw DecodeError(std::string("name too long in cabinet (") + what + ")");
        name.push_back(static_cast<char>(byte));
    }
}

}  // namespace

CabinetReader::CabinetReader(const std::filesystem::path& path, platform::CodePage codePage)
    : path_(path), file_(path) {
    readDirectory(codePage);
}

// ---- Directory ----

void CabinetReader::readDirectory(platform::CodePage codePage) {
    const auto header = readExactly(file_, kHeaderSize, "header");
    if (getU32(header.data()) != kSignature) throw DecodeError("not a cabinet file (bad signature)");
    if (header[25] != kVersionMajor) throw DecodeError("unsupported cabinet version");
    const std::uint32_t cabinetSize = getU32(header.data() + 8);
    const std::uint32_t firstFile = getU32(header.data() + 16);
    const std::uint16_t folderCount = getU16(header.data() + 26);
    const std::uint16_t fileCount = getU16(header.data() + 28);
    const std::uint16_t flags = getU16(header.data() + 30);
    setId_ = getU16(header.data() + 32);
    if (cabinetSize > file_.size()) throw DecodeError("truncated cabinet (shorter than its header says)");

    size_t folderReserve = 0;
    if (flags & kFlagReservePresent) {
        const auto sizes = readExactly(file_, 4, "reserve sizes");
        const size_t headerReserve = getU16(sizes.data());
        folderReserve = sizes[2];
        dataReserve_ = sizes[3];
        readExactly(file_, headerReserve, "header reserve");
    }
    if (flags & kFlagPrevCabinet) {
        readName(file_, "previous cabinet");
        readName(file_, "previous disk");
    }
    if (flags & kFlagNextCabinet) {
        readName(file_, "next cabinet");
        readName(file_, "next disk");
    }

    for (size_t i = 0; i < folderCount; ++i) {
        const auto bytes = readExactly(file_, kFolderSize + folderReserve, "folder");
        folders_.push_back({getU32(bytes.data()), getU16(bytes.data() + 4), getU16(bytes.data() + 6)});
    }
    checkFolderData(cabinetSize);

    file_.seek(firstFile);
    if (firstFile > cabinetSize) throw DecodeError("truncated cabinet (file list)");
    for (size_t i = 0; i < fileCount; ++i) {
        const auto bytes = readExactly(file_, kFileFixedSize, "file entry");
        CabEntry entry;
        entry.size = getU32(bytes.data());
        entry.folderOffset = getU32(bytes.data() + 4);
        entry.folderIndex = getU16(bytes.data() + 8);
        // 0xFFFD-0xFFFF say the file continues from or into a neighbour cabinet.
        if (entry.folderIndex < kFolderContinuedFromPrev && entry.folderIndex >= folders_.size())
            throw DecodeError("file entry names a folder the cabinet does not have");
        entry.dosDate = getU16(bytes.data() + 10);
        entry.dosTime = getU16(bytes.data() + 12);
        entry.attributes = getU16(bytes.data() + 14);
        entry.rawName = readName(file_, "file name");
        entry.name = (entry.attributes & kAttrNameIsUtf) ? entry.rawName : platform::decodeCodePage(entry.rawName, codePage);
        entries_.push_back(std::move(entry));
    }
}

// Walks the block headers of every folder: each folder's blocks must lie inside the cabinet,
// and no byte may belong to two folders. Folders sharing blocks would have those blocks decoded
// once per folder, so a cabinet of a few kilobytes could make the reader decode gigabytes;
// with disjoint folders the output is bounded by what the cabinet's blocks can hold. Folders
// are walked in the order of their data, and one that starts inside the one before is refused
// before it is walked, so the walk reads each block header at most once.
void CabinetReader::checkFolderData(std::uint32_t cabinetSize) {
    std::vector<size_t> order(folders_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return folders_[a].firstDataOffset < folders_[b].firstDataOffset; });
    std::uint64_t previousEnd = 0;
    for (const size_t index : order) {
        const FolderRecord& folder = folders_[index];
        if (folder.dataBlockCount == 0) continue;
        if (folder.firstDataOffset < previousEnd) throw DecodeError("damaged cabinet (folders share data blocks)");
        std::uint64_t at = folder.firstDataOffset;
        for (size_t b = 0; b < folder.dataBlockCount; ++b) {
            if (at + kDataHeaderSize + dataReserve_ > cabinetSize) throw DecodeError("truncated cabinet (folder data)");
            file_.seek(at);
            const auto header = readExactly(file_, kDataHeaderSize, "data block");
            at += kDataHeaderSize + dataReserve_ + getU16(header.data() + 4);
        }
        if (at > cabinetSize) throw DecodeError("truncated cabinet (folder data)");
        previousEnd = at;
    }
}

// ---- Extraction ----

void CabinetReader::extract(size_t index, ByteSink& out) {
    if (index >= entries_.size()) throw DecodeError("no such file in the cabinet");
    extractFolder(entries_[index].folderIndex, {index}, [&](const CabEntry&) { return &out; });
}

void CabinetReader::extractAll(const std::function<ByteSink*(const CabEntry&)>& sinkFor) {
    std::vector<std::vector<size_t>> byFolder(folders_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].folderIndex >= folders_.size())
            throw DecodeError("file continues into another cabinet: " + entries_[i].name);
        byFolder[entries_[i].folderIndex].push_back(i);
    }
    for (size_t f = 0; f < folders_.size(); ++f)
        if (!byFolder[f].empty()) extractFolder(f, byFolder[f], sinkFor);
}

void CabinetReader::extractFolder(size_t folderIndex, const std::vector<size_t>& entryIndexes,
                                  const std::function<ByteSink*(const CabEntry&)>& sinkFor) {
    if (folderIndex >= folders_.size()) throw DecodeError("file continues into another cabinet");
    const FolderRecord& folder = folders_[folderIndex];
    const std::uint16_t type = folder.compressionType & kCompressTypeMask;
    if (type != kCompressNone && type != kCompressMszip) throw DecodeError("unsupported cabinet compression type");

    // Entries in the order of their data; the folder is decoded once, as far as needed.
    std::vector<size_t> order = entryIndexes;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries_[a].folderOffset < entries_[b].folderOffset; });
    std::uint64_t needed = 0;
    for (size_t i : order) needed = std::max<std::uint64_t>(needed, std::uint64_t{entries_[i].folderOffset} + entries_[i].size);

    // Each entry's sink, asked for once, when the entry's data begins (or at once when empty).
    std::vector<ByteSink*> sinks(order.size(), nullptr);
    std::vector<bool> asked(order.size(), false);
    const auto sinkOf = [&](size_t k) {
        if (!asked[k]) {
            sinks[k] = sinkFor(entries_[order[k]]);
            asked[k] = true;
        }
        return sinks[k];
    };

    MszipFrameDecoder decoder;
    std::vector<std::uint8_t> history, block;  // history: the last 32 KiB of the folder's output
    std::uint64_t blockStart = 0;              // folder offset of block[0]
    size_t next = 0;                           // first entry of `order` not yet completely written
    file_.seek(folder.firstDataOffset);
    for (size_t b = 0; b < folder.dataBlockCount && blockStart < needed; ++b) {
        const auto header = readExactly(file_, kDataHeaderSize + dataReserve_, "data block");
        const std::uint32_t storedSum = getU32(header.data());
        const size_t compressedSize = getU16(header.data() + 4);
        const size_t uncompressedSize = getU16(header.data() + 6);
        if (uncompressedSize == 0 || uncompressedSize > kMaxBlockInput || compressedSize > kMaxBlockOutput)
            throw DecodeError("invalid data block size");
        const auto data = readExactly(file_, compressedSize, "data block");
        if (storedSum != 0 && storedSum != cabChecksum(std::span(header).subspan(4), cabChecksum(data)))
            throw DecodeError("data block checksum mismatch");

        block.clear();
        if (type == kCompressMszip) {
            decoder.decode(history, data, uncompressedSize, block);
        } else {
            if (compressedSize != uncompressedSize) throw DecodeError("invalid stored data block size");
            block = data;
        }

        // Hand each entry the part of this block that belongs to it.
        const std::uint64_t blockEnd = blockStart + block.size();
        for (size_t k = next; k < order.size(); ++k) {
            const CabEntry& entry = entries_[order[k]];
            if (entry.folderOffset >= blockEnd) break;
            const std::uint64_t from = std::max<std::uint64_t>(entry.folderOffset, blockStart);
            const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{entry.folderOffset} + entry.size, blockEnd);
            if (from < to) {
                if (ByteSink* sink = sinkOf(k))
                    sink->write(std::span<const std::uint8_t>(block).subspan(from - blockStart, to - from));
            }
        }
        while (next < order.size() && std::uint64_t{entries_[order[next]].folderOffset} + entries_[order[next]].size <= blockEnd) {
            sinkOf(next);  // empty entries get their sink too
            ++next;
        }

        history.insert(history.end(), block.begin(), block.end());
        if (history.size() > kMaxBlockInput) history.erase(history.begin(), history.end() - kMaxBlockInput);
        blockStart = blockEnd;
    }
    for (; next < order.size() && entries_[order[next]].size == 0 && entries_[order[next]].folderOffset <= blockStart; ++next)
        sinkOf(next);
    if (blockStart < needed) throw DecodeError("truncated cabinet (folder data ends early)");
}

}  // namespace tessaro::archives::cab
