#include "feeinput/declaration_header.h"

#include "feeinput/tag_search.h"

namespace tessaro::feeinput {

namespace {

// t2 from the start; t3 from the start again, or after t2 when `t3AfterT2`; t6 after t3.
DeclarationHeader readHeader(const DeclarationText& text, bool t3AfterT2) {
    const std::string_view body = text.searchText();
    DeclarationHeader header;
    const auto t2 = findTag(body, "t2", 0);
    if (!t2) return header;
    header.hospitalCode = text.decode(t2->in(body));
    const auto t3 = findTag(body, "t3", t3AfterT2 ? t2->next : 0);
    if (!t3) return header;
    header.feeYearMonth = text.decode(t3->in(body));
    // t6 only counts after t3; one that stands before it is not taken.
    const auto t6 = findTag(body, "t6", t3->next);
    if (!t6) return header;
    header.declarationDate = text.decode(t6->in(body));
    return header;
}

}  // namespace

DeclarationHeader readDeclarationHeader(const DeclarationText& text) { return readHeader(text, false); }

DeclarationHeader readChainedHeader(const DeclarationText& text) { return readHeader(text, true); }

}  // namespace tessaro::feeinput
