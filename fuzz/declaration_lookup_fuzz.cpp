// Fuzz target: the fee declaration reader: the tag search, the header, the one-case lookup
// and the import's one-scan index, checked against each other.
//
// The input is the declaration file. The categories and serials asked for are those the
// file's own <d1> and <d2> elements hold (the first eight of each), plus a few of the list's
// codes and serials that are not there. For every pair the index must give exactly what
// the one-case lookup gives, the lookup over the raw bytes of a file without a byte-order
// mark what a lookup over its decoded text gives, and the literal search what a plain search
// gives.
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_header.h"
#include "feeinput/tag_search.h"
#include "feeinput/text_fields.h"
#include "fuzz/fuzz_support.h"

#include <set>

using namespace tessaro;

namespace {

// Up to `limit` values of the element `tag`, in file order.
std::vector<std::string> valuesOf(std::string_view text, std::string_view tag, size_t limit) {
    std::vector<std::string> values;
    size_t from = 0;
    while (values.size() < limit) {
        const auto found = feeinput::findTag(text, tag, from);
        if (!found) break;
        values.emplace_back(found->in(text));
        from = found->next;
    }
    return values;
}

void checkLiteralSearch(std::string_view text) {
    for (const std::string_view needle : {"<d1>", "</d2>", "<d49>", "</t3>", "<tdata>"}) {
        size_t from = 0;
        for (int i = 0; i < 16; ++i) {
            const size_t ours = feeinput::findLiteral(text, needle, from);
            FUZZ_CHECK(ours == text.find(needle, from));
            if (ours == std::string_view::npos) break;
            from = ours + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::expectingErrors([&] {
        const auto declaration = feeinput::DeclarationText::fromFileBytes(std::string(fuzz::asText(data, size)));
        const std::string_view text = declaration.searchText();
        checkLiteralSearch(text);
        (void)feeinput::readDeclarationHeader(declaration);
        (void)feeinput::readChainedHeader(declaration);

        std::set<std::string> categories = {"A1", "04", "E3"};
        for (auto& value : valuesOf(text, "d1", 8)) categories.insert(declaration.decode(value));
        std::set<std::int32_t> serials = {1, 7, 123};
        for (auto& value : valuesOf(text, "d2", 8)) serials.insert(feeinput::StrToIntDef(declaration.decode(value), 0));

        const std::vector<std::string> asked(categories.begin(), categories.end());
        const feeinput::CaseIndex index(declaration, asked);
        const auto decoded = declaration.decoded();
        for (const auto& category : asked)
            for (const std::int32_t serial : serials) {
                const auto found = feeinput::lookupCase(declaration, category, serial);
                FUZZ_CHECK(index.find(category, serial) == found);
                FUZZ_CHECK(feeinput::lookupCase(decoded, category, serial) == found);
            }
    });
    return 0;
}
