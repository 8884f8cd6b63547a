// The fee declaration file's content, ready for tag searches.
//
// Every lookup reads the file afresh (so edits on disk take effect), but a file of a hundred
// megabytes must not be decoded whole just to find one case in it. Tags and categories are
// ASCII, and in a file without a byte-order mark (code page 950) an ASCII byte below 0x40,
// such as "<", can never be the second half of a two-byte character, and any ASCII byte
// that follows an ASCII character is a character of its own. No byte sequence of the code
// page decodes to an ASCII character except that ASCII byte itself. So an ASCII needle that
// begins with "<" occurs in the raw bytes exactly where it occurs in the decoded text, and
// the bytes between two tags are whole characters: decoding only the values found gives the
// very result of searching the decoded text. A UTF-8 file (with its mark) is searched as it
// is, after the same strict check ReadAllText makes; a UTF-16 file is decoded first.
//
// The file is mapped rather than read where that is safe (platform/file_bytes.h), so a
// lookup costs about one search over the file; the bytes stay valid while any copy of the
// text lives.
//
// A needle with non-ASCII characters loses that guarantee; searches for one run over
// decoded() instead.
#pragma once

#include "platform/file_bytes.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace tessaro::feeinput {

class DeclarationText {
public:
    // Reads the file with the path checks and error texts of ReadAllText.
    static DeclarationText readFile(const std::string& path);
    // A whole file's bytes, byte-order mark included, taken as ReadAllText would take them.
    // Throws the no-mapping error for malformed UTF-8 after a UTF-8 mark.
    static DeclarationText fromFileBytes(std::string bytes);

    // What the tag searches run over.
    std::string_view searchText() const { return storage_->view().substr(offset_); }
    // A value found in searchText(), as UTF-8 text.
    std::string decode(std::string_view value) const;
    // True when searchText() holds the raw code page 950 bytes of a file without a mark.
    bool isRawCodePage() const { return rawCodePage_; }
    // The same content as decoded UTF-8 text.
    DeclarationText decoded() const;

private:
    DeclarationText(platform::FileBytes storage, std::size_t offset, bool rawCodePage)
        : storage_(std::make_shared<const platform::FileBytes>(std::move(storage))),
          offset_(offset),
          rawCodePage_(rawCodePage) {}
    static DeclarationText fromBytes(platform::FileBytes bytes);

    std::shared_ptr<const platform::FileBytes> storage_;  // shared by copies: never changed
    std::size_t offset_;  // a UTF-8 mark is skipped in place rather than copying the file
    bool rawCodePage_;
};

// True when every byte of `text` is ASCII.
bool isAscii(std::string_view text);

}  // namespace tessaro::feeinput
