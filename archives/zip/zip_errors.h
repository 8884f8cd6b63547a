// The errors of the ZIP components and the item-failure notification.
//
// A failure that ends an operation is thrown as ZipError (the component's own, with its
// numeric code) or as a platform error. A failure of one entry is not thrown to the caller:
// the component reports it to the item-failure handler and goes on with the next entry.
// Each report carries an error class and a code, so a listener can tell the component's
// own errors from platform ones without parsing texts.
#pragma once

#include "platform/error.h"

#include <functional>
#include <string>

namespace tessaro::archives {

namespace zip_text {
inline constexpr const char* kNewerVersion = "Cannot extract file - newer version required";
inline constexpr const char* kUnsupportedMethod = "Cannot extract file - unsupported compression method";
inline constexpr const char* kInvalidPassword = "Cannot extract file - invalid password";
inline constexpr const char* kUserAbort = "Process aborted by user";
inline constexpr const char* kNoSuchDirectory = "Directory does not exist";
inline constexpr const char* kInvalidStream = "Invalid Stream";
inline constexpr const char* kBadCrc = "Cannot extract file - CRC error";
inline constexpr const char* kFileNotFound = "File not found";
inline constexpr const char* kNoArchive = "Archive does not exist - Filename is blank";
inline constexpr const char* kNotPkZip = "Invalid file - not a PKZip file";
inline constexpr const char* kUnhandledType = "Unhandled Archive Type";
inline constexpr const char* kInvalidPathCharacters = "Invalid characters in path";
inline constexpr const char* kSpannedUpdate = "Cannot update an existing spanned disk set";
inline constexpr const char* kOutsideBase = "Cannot extract file - path lies outside the base directory";
inline constexpr const char* kOverlappingEntries = "Invalid file - entries share their data";
inline constexpr const char* kDirectoryTooLarge = "Invalid file - more entries than an archive may hold here";
inline constexpr const char* kNoFreeSpace = "Cannot extract file - not enough free disk space";
}  // namespace zip_text

// Codes of the components' own errors.
enum class ZipCode {
    none = 0,
    newerVersion = 1,
    unsupportedMethod = 2,
    invalidPassword = 4,
    userAbort = 9,
    noSuchDirectory = 15,
    invalidStream = 17,
    badCrc = 19,
    fileNotFound = 21,
    noArchive = 23,
    notPkZip = 24,
    unhandledType = 28,
    spannedUpdate = 29,
    invalidPathCharacters = 30,
    outsideBase = 31,
    overlappingEntries = 32,
    directoryTooLarge = 33,
    noFreeSpace = 34,
};

class ZipError : public tessaro::Error {
public:
    ZipError(ZipCode code, const std::string& text) : tessaro::Error(text), code_(code) {}
    ZipCode code() const { return code_; }

private:
    ZipCode code_;
};

// The user answered a disk prompt with Cancel.
class UserAbort : public ZipError {
public:
    UserAbort() : ZipError(ZipCode::userAbort, zip_text::kUserAbort) {}
};

// Where a reported error came from.
enum class ErrorClass {
    library,     // the component's own (code: ZipCode)
    io,          // a read or write of an open file (code: the system's error number)
    stream,      // a stream could not be read (code 0)
    fileOpen,    // a file could not be opened (code 0)
    fileCreate,  // a file could not be created (code 0)
    other,       // anything else, corrupt compressed data included (code 0)
};

enum class ItemOperation { add, extract };

struct ItemFailure {
    std::string entryName;  // the entry's decoded name
    ItemOperation operation = ItemOperation::extract;
    ErrorClass errorClass = ErrorClass::other;
    int code = 0;
    std::string text;  // what went wrong, as the error's text
};

using ItemFailureHandler = std::function<void(const ItemFailure&)>;

}  // namespace tessaro::archives
