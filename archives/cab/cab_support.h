// The cabinet builder component: a list of files and the operation that packs them into one
// Microsoft cabinet file.
//
// The main window owns one TCabCompress. The production run empties its list, adds the files
// of one attachment folder, names the cabinet and calls Compress. Errors are reported the way
// a cabinet library reports them: a numeric code in LastError and the OnError event, with
// ECabError raised only when RaiseExceptions is on; LastErrorDetail adds the failure's own
// words (which file, and why) for callers that name it to the user. A file that cannot be
// opened or read is skipped with its code and the cabinet is still written with the others.
//
// Paths are UTF-8 text in the native form; names stored in the cabinet are code page 950
// bytes. A name code page 950 cannot represent cannot be stored, so such a file is reported
// as not openable, as it is on a Windows desktop whose ANSI code page is 950.
#pragma once

#include "platform/error.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaro {
class UserPort;
}

namespace tessaro::archives::cab {

// ---- Types ----

enum TCabCompressionType { cctNone = 0, cctMSZIP = 1, cctLZX = 2 };
enum TCabLZXLevel { cllLowest = 0, cllLower, cllLow, cllMedium, cllHigh, cllHigher, cllHighest };

// The text of an error code ("Unknown error code" for 9 and above).
std::string cabErrorText(std::uint16_t code);

class ECabError : public tessaro::Error {
public:
    explicit ECabError(std::uint16_t code) : tessaro::Error(cabErrorText(code)), code_(code) {}
    std::uint16_t code() const { return code_; }

private:
    std::uint16_t code_;
};

struct TCabinetItem {
    double FileDate = 0;          // local last-write time to two seconds; 0 when unknown
    std::string FileName;         // path on disk, as added
    std::int64_t FileSize = -1;   // size when added; -1 when missing or a folder
    bool Selected = false;
    std::string DestinationPath;  // folder part of the stored name: empty, or ending in a backslash

    std::string ShortFileName() const;
};

class TCabinetItems {
public:
    TCabinetItem& Add(TCabinetItem item);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    TCabinetItem& operator[](int index) { return items_.at(static_cast<size_t>(index)); }
    const TCabinetItem& operator[](int index) const { return items_.at(static_cast<size_t>(index)); }
    int SelCount() const;
    // The first item whose FileName equals `fileName` exactly, or nullptr.
    TCabinetItem* ItemByName(const std::string& fileName);

    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }

private:
    std::vector<TCabinetItem> items_;
};

class TCustomCabComponent;
class CabinetWriter;

using TNotifyEvent = std::function<void(TCustomCabComponent& sender)>;
using TCabProgessEvent = std::function<void(TCustomCabComponent& sender, const std::string& fileName, std::int32_t fileIndex,
                                            std::int64_t currentFileSize, std::int64_t currentCabSize)>;
using TCabErrorEvent = std::function<void(TCustomCabComponent& sender, std::uint16_t errorCode)>;

// ---- The component base ----

class TCustomCabComponent {
public:
    explicit TCustomCabComponent(UserPort& port) : port_(port) {}
    virtual ~TCustomCabComponent() = default;
    TCustomCabComponent(const TCustomCabComponent&) = delete;
    TCustomCabComponent& operator=(const TCustomCabComponent&) = delete;

    TCabinetItems Items;
    bool RaiseExceptions = false;
    TCabProgessEvent OnProgress;
    TNotifyEvent OnStart;
    TNotifyEvent OnFinish;
    TCabErrorEvent OnError;

    int FileCount() const { return Items.Count(); }
    TCabinetItem& Item(int index) { return Items[index]; }
    TCabinetItem* ItemByName(const std::string& fileName) { return Items.ItemByName(fileName); }
    std::uint16_t LastError() const { return lastError_; }
    // What the last error was about, in the system's words (the file and why), or empty when
    // nothing more is known than the code: for callers that name the failure to the user.
    const std::string& LastErrorDetail() const { return lastErrorDetail_; }
    // The index of the item being added (FCurrent): the item an error of code 1, 2 or 9 is about.
    std::int32_t CurrentIndex() const { return FCurrent; }
    std::int64_t SourceFileSize() const { return sourceFileSize_; }
    std::int64_t OriginalFileSize() { return GetTotalFileSize(); }

protected:
    virtual std::int64_t GetTotalFileSize() { return 0; }
    // Sets LastError and its detail, raises OnError and, with RaiseExceptions on, throws ECabError.
    void ReportError(std::uint16_t code, std::string detail = {});

    UserPort& port_;
    std::uint16_t lastError_ = 0;
    std::string lastErrorDetail_;
    std::int32_t FCurrent = 0;
    std::int64_t sourceFileSize_ = 0;
};

// ---- The cabinet builder ----

class TCabCompress : public TCustomCabComponent {
public:
    explicit TCabCompress(UserPort& port) : TCustomCabComponent(port) {}

    std::string FileName;  // the cabinet to write
    TCabCompressionType CompressionType = cctMSZIP;
    TCabLZXLevel CompressionLZXLevel = cllHighest;

    std::int64_t CompressedFileSize() const { return compressedFileSize_; }

    void Reset() { Items.Clear(); }
    // Adds the files of `sourcePath` (a folder and a mask, such as "in/*.*"), without
    // recursion and into the cabinet's root.
    void AddFolder(const std::string& sourcePath) { AddFolder(sourcePath, "", false); }
    void AddFolder(const std::string& sourcePath, const std::string& destPath) { AddFolder(sourcePath, destPath, false); }
    void AddFolder(const std::string& sourcePath, const std::string& destPath, bool recurseDirs);
    void AddFile(const std::string& sourceName, const std::string& destPath);
    // Writes the cabinet; true when it was completed.
    bool Compress();

    // The compression word the cabinet library takes for the current settings.
    std::uint16_t GetCompType() const;

protected:
    std::int64_t GetTotalFileSize() override;

private:
    void addItem(const std::string& fileName, const std::string& destPath);
    void addOneFile(CabinetWriter& writer, const TCabinetItem& item);

    std::int64_t compressedFileSize_ = 0;
};

}  // namespace tessaro::archives::cab
