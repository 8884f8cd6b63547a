#include "archives/cab/cab_support.h"

#include "archives/cab/cab_file_info.h"
#include "archives/cab/cab_folder_scan.h"
#include "archives/cab/cab_records.h"
#include "archives/cab/cabinet_writer.h"
#include "archives/io/byte_stream.h"
#include "platform/code_page.h"
#include "platform/dos_time.h"
#include "platform/file_attributes.h"
#include "platform/path_text.h"
#include "platform/user_port.h"

#include <filesystem>
#include <optional>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;

bool isBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Raises OnFinish when Compress leaves, also by an exception.
class FinishGuard {
public:
    FinishGuard(TCustomCabComponent& sender, const TNotifyEvent& onFinish) : sender_(sender), onFinish_(onFinish) {}
    ~FinishGuard() {
        if (onFinish_) onFinish_(sender_);
    }
    FinishGuard(const FinishGuard&) = delete;
    FinishGuard& operator=(const FinishGuard&) = delete;

private:
    TCustomCabComponent& sender_;
    const TNotifyEvent& onFinish_;
};

}  // namespace

// ---- Errors ----

std::string cabErrorText(std::uint16_t code) {
    switch (code) {
    case 0: return "No error";
    case 1: return "Error opening source file";
    case 2: return "Error reading from source file";
    case 3: return "Out of memory";
    case 4: return "TempFile could not be created";
    case 5: return "Unknown compression type";
    case 6: return "Cabinet file could bot be created";
    case 7: return "Operation aborted by user";
    case 8: return "Compression error";
    default: return "Unknown error code";
    }
}

void TCustomCabComponent::ReportError(std::uint16_t code, std::string detail) {
    lastError_ = code;
    lastErrorDetail_ = std::move(detail);
    if (OnError) OnError(*this, code);
    if (RaiseExceptions) throw ECabError(code);
}

// ---- Items ----

std::string TCabinetItem::ShortFileName() const { return fileNamePart(FileName); }

TCabinetItem& TCabinetItems::Add(TCabinetItem item) { return items_.emplace_back(std::move(item)); }

int TCabinetItems::SelCount() const {
    int count = 0;
    for (const auto& item : items_) count += item.Selected ? 1 : 0;
    return count;
}

TCabinetItem* TCabinetItems::ItemByName(const std::string& fileName) {
    for (auto& item : items_)
        if (item.FileName == fileName) return &item;
    return nullptr;
}

// ---- Adding files ----

void TCabCompress::AddFolder(const std::string& sourcePath, const std::string& destPath, bool recurseDirs) {
    if (isBlank(sourcePath)) return;
    const auto [folder, mask] = splitFolderAndMask(sourcePath);
    std::string dest = isBlank(destPath) ? std::string() : destPath;
    if (!dest.empty() && dest.back() != '\\') dest += '\\';

    for (const FolderEntry& entry : listFolder(folder, mask)) {
        port_.processPendingMessages();
        if (entry.name.front() == '.') continue;
        if (entry.isDirectory) {
            // A link to a folder is not followed: it could lead back into the tree.
            if (recurseDirs && !entry.isLink)
                AddFolder(folder + entry.name + kPathSeparator + mask, dest + entry.name, recurseDirs);
            continue;
        }
        const std::string path = folder + entry.name;
        const auto info = platform::queryFileStatus(platform::pathFromUtf8(path));
        if (!info || !(info->attributes & platform::dos_attr::kArchive)) continue;
        Items.Add({toDateTimeValue(info->lastWrite), path, static_cast<std::int64_t>(info->size), false, dest});
    }
}

void TCabCompress::AddFile(const std::string& sourceName, const std::string& destPath) {
    TCabinetItem item;
    item.FileName = sourceName;
    item.DestinationPath = destPath;
    if (const auto info = platform::queryFileStatus(platform::pathFromUtf8(sourceName)); info && !info->isDirectory()) {
        item.FileSize = static_cast<std::int64_t>(info->size);
        item.FileDate = toDateTimeValue(info->lastWrite);
    }
    Items.Add(std::move(item));
}

std::int64_t TCabCompress::GetTotalFileSize() {
    std::int64_t total = 0;
    for (auto& item : Items) {
        const auto info = platform::queryFileStatus(platform::pathFromUtf8(item.FileName));
        item.FileSize = (info && !info->isDirectory()) ? static_cast<std::int64_t>(info->size) : -1;
        if (item.FileSize > 0) total += item.FileSize;
    }
    return total;
}

std::uint16_t TCabCompress::GetCompType() const {
    switch (CompressionType) {
    case cctNone: return 0;
    case cctMSZIP: return 1;
    case cctLZX: return static_cast<std::uint16_t>(3 + 256 * (15 + static_cast<int>(CompressionLZXLevel)));
    }
    return 0xFFFF;
}

// ---- Compress ----

bool TCabCompress::Compress() {
    bool result = false;
    lastError_ = 0;
    lastErrorDetail_.clear();
    sourceFileSize_ = 0;
    compressedFileSize_ = 0;

    // Only stored and MSZIP folders can be written; LZX has no encoder here.
    std::optional<FolderCompression> compression;
    if (CompressionType == cctNone) compression = FolderCompression::none;
    if (CompressionType == cctMSZIP) compression = FolderCompression::mszip;

    std::string currentName;
    std::optional<CabinetWriter> writer;
    try {
        writer.emplace(compression.value_or(FolderCompression::none), [&](std::uint32_t compressed, std::uint32_t uncompressed) {
            compressedFileSize_ += compressed;
            sourceFileSize_ += uncompressed;
            if (OnProgress) OnProgress(*this, currentName, FCurrent, sourceFileSize_, compressedFileSize_);
        });
    } catch (const CabinetWriteError& e) {
        ReportError(static_cast<std::uint16_t>(e.code()), e.what());
        return false;
    }

    if (OnStart) OnStart(*this);
    FinishGuard finish(*this, OnFinish);
    if (!compression) {
        ReportError(static_cast<std::uint16_t>(CabErrorCode::badCompressionType));
        return false;
    }

    // The list is read by index afresh each time: the window may change it while pending
    // messages run.
    for (int i = 0; i < Items.Count(); ++i) {
        port_.processPendingMessages();
        if (i >= Items.Count()) break;
        const TCabinetItem item = Items[i];
        FCurrent = i;
        currentName = item.FileName;
        addOneFile(*writer, item);
    }

    const bool nameOk = !FileName.empty() && platform::representableInCodePage(FileName);
    try {
        if (!nameOk) throw CabinetWriteError(CabErrorCode::cabinetFile, "The cabinet name cannot be used");
        writer->finish(platform::pathFromUtf8(FileName));
        result = true;
    } catch (const CabinetWriteError& e) {
        ReportError(static_cast<std::uint16_t>(e.code()), e.what());
    }
    return result;
}

void TCabCompress::addOneFile(CabinetWriter& writer, const TCabinetItem& item) {
    std::error_code ec;
    const fs::path source = fs::absolute(platform::pathFromUtf8(item.FileName), ec);
    const std::string storedName = item.DestinationPath + item.ShortFileName();
    const auto info = ec ? std::nullopt : platform::queryFileStatus(source);
    // Only regular files are sources (a pipe or device could block or never end), and only
    // names the ANSI code page can carry.
    if (!info || !(info->attributes & platform::dos_attr::kArchive) || !platform::representableInCodePage(source.string()) ||
        !platform::representableInCodePage(storedName)) {
        const char* why = !info                                          ? "No such regular file"
                          : !(info->attributes & platform::dos_attr::kArchive) ? "Not a regular file with the archive attribute"
                                                                           : "The name cannot be written in the ANSI code page";
        ReportError(static_cast<std::uint16_t>(CabErrorCode::openSource), why);
        return;
    }

    // A file the folder has no room for is refused before a byte of it is read.
    if (!writer.hasRoomFor(info->size)) {
        ReportError(static_cast<std::uint16_t>(CabErrorCode::formatLimit), kSizeLimitText);
        return;
    }
    std::optional<FileSource> data;
    try {
        data.emplace(source);
    } catch (const tessaro::Error& e) {
        ReportError(static_cast<std::uint16_t>(CabErrorCode::openSource), e.what());
        return;
    }
    const platform::DosDateTime stamp = platform::toDosDateTime(info->lastWrite);
    const CabFileInfo record{platform::encodeCodePage(storedName), stamp.date, stamp.time,
                             static_cast<std::uint16_t>(info->attributes & kStoredAttrMask)};
    try {
        writer.addFile(*data, record);
    } catch (const CabinetWriteError& e) {
        ReportError(static_cast<std::uint16_t>(e.code()), e.what());
    }
}

}  // namespace tessaro::archives::cab
