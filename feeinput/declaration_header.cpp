#include "feeinput/declaration_header.h"

#include "feeinput/tag_search.h"

namespace tessaro::feeinput {

DeclarationHeader readDeclarationHeader(const DeclarationText& text) {
    const std::string_view body = text.searchText();
    DeclarationHeader header;

    const auto t2 = findTag(body, "t2", 0);
    if (!t2) return header;
    header.hospitalCode = text.decode(t2->in(body));

    // t3 is searched from the start, not after t2: the two may stand in either order.
    const auto t3 = findTag(body, "t3", 0);
    if (!t3) return header;
    header.feeYearMonth = text.decode(t3->in(body));

    // t6 only counts after t3; one that stands before it is not taken.
    const auto t6 = findTag(body, "t6", t3->next);
    if (!t6) return header;
    header.declarationDate = text.decode(t6->in(body));
    return header;
}

DeclarationHeader readChainedHeader(const DeclarationText& text) {
    const std::string_view body = text.searchText();
    DeclarationHeader header;
    const auto t2 = findTag(body, "t2", 0);
    if (!t2) return header;
    header.hospitalCode = text.decode(t2->in(body));
    const auto t3 = findTag(body, "t3", t2->next);
    if (!t3) return header;
    header.feeYearMonth = text.decode(t3->in(body));
    const auto t6 = findTag(body, "t6", t3->next);
    if (!t6) return header;
    header.declarationDate = text.decode(t6->in(body));
    return header;
}

}  // namespace tessaro::feeinput
