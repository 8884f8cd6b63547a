#include "feeinput/case_lookup.h"

#include "feeinput/tag_search.h"
#include "feeinput/text_fields.h"

#include <algorithm>

namespace tessaro::feeinput {
namespace {

constexpr std::string_view kOpenD1 = "<d1>";
constexpr std::string_view kCloseD1 = "</d1>";
constexpr std::size_t npos = std::string_view::npos;

std::int32_t serialValue(const DeclarationText& text, const TagValue& d2) {
    return StrToIntDef(text.decode(d2.in(text.searchText())), 0);
}

// The block's values after its d2 element, each searched after the previous one.
CaseLookup readCaseValues(const DeclarationText& text, std::size_t afterD2) {
    const std::string_view body = text.searchText();
    CaseLookup result;
    result.blockFound = true;
    const auto d3 = findTag(body, "d3", afterD2);
    if (!d3) return result;
    result.idNumber = text.decode(d3->in(body));
    const auto d9 = findTag(body, "d9", d3->next);
    if (!d9) return result;
    result.visitDate = text.decode(d9->in(body));
    const auto d49 = findTag(body, "d49", d9->next);
    if (!d49) return result;
    result.name = text.decode(d49->in(body));
    return result;
}

}  // namespace

CaseLookup lookupCase(const DeclarationText& text, std::string_view category, std::int32_t serial) {
    if (text.isRawCodePage() && !isAscii(category)) return lookupCase(text.decoded(), category, serial);

    const std::string_view body = text.searchText();
    const std::string key = std::string(kOpenD1) + std::string(category) + std::string(kCloseD1);
    for (std::size_t at = findLiteral(body, key, 0); at != npos;) {
        const auto d2 = findTag(body, "d2", at + key.size());
        if (!d2) return {};
        if (serialValue(text, *d2) == serial) return readCaseValues(text, d2->next);
        at = findLiteral(body, key, d2->next);
    }
    return {};
}

// One scan visits every "<d1>" of the declaration. A key of category C occurs at a "<d1>"
// exactly when the value up to the first "</d1>" after it is C (a category containing
// "</d1>" never occurs that way and is left to lookupCase). Each category's chain then
// takes the keys lookupCase would take: the first one, and after each, the first one at or
// after the end of the d2 element it led to.
CaseIndex::CaseIndex(const DeclarationText& text, const std::vector<std::string>& categories) : text_(text) {
    for (const std::string& category : categories) {
        if (category.find(kCloseD1) != std::string::npos) continue;
        chains_.try_emplace(category);
        longestCategory_ = std::max(longestCategory_, category.size());
    }
    if (!chains_.empty()) scan();
}

CaseIndex::Chain* CaseIndex::chainFor(std::string_view d1Value) {
    // Decoding never makes a value shorter (an ASCII byte stays one byte, a two-byte
    // character becomes at least two), so a longer raw value cannot be any category and
    // is dismissed without decoding it.
    if (d1Value.size() > longestCategory_) return nullptr;
    const auto it = chains_.find(text_.isRawCodePage() ? text_.decode(d1Value) : std::string(d1Value));
    return it == chains_.end() ? nullptr : &it->second;
}

void CaseIndex::scan() {
    const std::string_view body = text_.searchText();
    std::size_t closeAt = 0;  // first "</d1>" at or after the current value's start
    for (std::size_t at = findLiteral(body, kOpenD1, 0); at != npos; at = findLiteral(body, kOpenD1, at + 1)) {
        const std::size_t valueBegin = at + kOpenD1.size();
        if (closeAt < valueBegin) closeAt = findLiteral(body, kCloseD1, valueBegin);
        if (closeAt == npos) return;  // no key of any category can follow
        Chain* chain = chainFor(body.substr(valueBegin, closeAt - valueBegin));
        if (chain == nullptr || chain->ended || at < chain->resumeAt) continue;

        const auto d2 = findTag(body, "d2", closeAt + kCloseD1.size());
        if (!d2) {
            chain->ended = true;
            continue;
        }
        chain->firstBlock.try_emplace(serialValue(text_, *d2), d2->next);
        chain->resumeAt = d2->next;
    }
}

CaseLookup CaseIndex::find(std::string_view category, std::int32_t serial) const {
    const auto chain = chains_.find(category);
    if (chain == chains_.end()) return lookupCase(text_, category, serial);
    const auto block = chain->second.firstBlock.find(serial);
    if (block == chain->second.firstBlock.end()) return {};
    return readCaseValues(text_, block->second);
}

}  // namespace tessaro::feeinput
