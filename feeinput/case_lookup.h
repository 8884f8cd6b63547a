// Looking a case up in the fee declaration: the patient's ID number, visit date and name.
//
// The rule, shared by the case list's lookup and the setting-table import: the case is the
// first block in file order whose d1 element equals the category exactly and whose d2
// element equals the serial number by value (leading zeros do not matter). The key
// "<d1>" + category + "</d1>" is searched from the start; after each key the d2 element is
// searched; when its value differs, the key is searched again after d2's closing tag. Once a
// block matches, d3, d9 and d49 are searched each after the previous one, and a missing one
// ends the lookup there: later blocks are never examined.
#pragma once

#include "feeinput/declaration_text.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaro::feeinput {

// What a lookup found. The case counts as found only when all three values were found.
struct CaseLookup {
    bool blockFound = false;               // a block with the category and serial number
    std::optional<std::string> idNumber;   // d3
    std::optional<std::string> visitDate;  // d9
    std::optional<std::string> name;       // d49

    bool found() const { return name.has_value(); }
    bool operator==(const CaseLookup&) const = default;
};

// One case, by one scan from the start of the declaration.
CaseLookup lookupCase(const DeclarationText& text, std::string_view category, std::int32_t serial);

// Many cases of one declaration from a single scan, for an import: every case of the given
// categories is answered with the very rule of lookupCase. `text` must outlive the index.
class CaseIndex {
public:
    CaseIndex(const DeclarationText& text, const std::vector<std::string>& categories);

    // The same answer lookupCase(text, category, serial) gives. A category that was not
    // given to the constructor is looked up by a scan of its own.
    CaseLookup find(std::string_view category, std::int32_t serial) const;

private:
    // The chain of key matches of one category, as lookupCase walks it.
    struct Chain {
        std::unordered_map<std::int32_t, std::size_t> firstBlock;  // serial -> end of its d2
        std::size_t resumeAt = 0;  // the next key is searched from here
        bool ended = false;        // a key without a d2 after it ends every lookup
    };

    void scan();
    Chain* chainFor(std::string_view d1Value);

    const DeclarationText& text_;
    std::map<std::string, Chain, std::less<>> chains_;
    std::size_t longestCategory_ = 0;
};

}  // namespace tessaro::feeinput
