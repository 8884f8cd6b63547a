// The tag search with which every part of the program reads the fee declaration file.
//
// The file is never parsed as XML. An element's value is the text between the first opening
// tag ("<t2>") at or after a position and the first closing tag ("</t2>") after it, found by
// literal, case-sensitive search; the search for the next element goes on right after that
// closing tag. Upper-case tags, tags with attributes or blanks are simply not found.
//
// Positions are byte offsets into whatever text is searched: decoded UTF-8 text, or the raw
// bytes of a file without a byte-order mark (see declaration_text.h for why that is the same).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tessaro::feeinput {

// Where a found element lies: its value, and the position right after its closing tag.
struct TagValue {
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    std::size_t next = 0;

    std::string_view in(std::string_view text) const { return text.substr(valueBegin, valueEnd - valueBegin); }
};

// The first occurrence of `needle` in `text` at or after `from`; npos when there is none.
std::size_t findLiteral(std::string_view text, std::string_view needle, std::size_t from);

// The element `tag` (a bare name such as "d2") at or after `from`, or nothing when either
// its opening tag or, after it, its closing tag is missing.
std::optional<TagValue> findTag(std::string_view text, std::string_view tag, std::size_t from);

}  // namespace tessaro::feeinput
