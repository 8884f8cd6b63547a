// The lookup runs over the raw bytes of a declaration without a byte-order mark and decodes
// only the values it finds; an import answers many cases from one scan. Both must give
// exactly what the plain rule gives on the decoded text. Random declarations mix well-formed
// blocks with broken tags, missing elements, duplicate keys, undefined and cut-off
// two-byte characters and trail bytes that are ASCII on their own.
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_header.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_decoding.h"
#include "feeinput/text_fields.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tessaro::feeinput {
namespace {

// ---- The rule written out plainly over decoded text -----------------------------------

std::optional<std::pair<std::string, std::size_t>> plainTag(const std::string& text, const std::string& tag,
                                                            std::size_t from) {
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    const std::size_t o = text.find(open, from);
    if (o == std::string::npos) return std::nullopt;
    const std::size_t c = text.find(close, o + open.size());
    if (c == std::string::npos) return std::nullopt;
    return std::make_pair(text.substr(o + open.size(), c - o - open.size()), c + close.size());
}

CaseLookup plainLookup(const std::string& text, const std::string& category, std::int32_t serial) {
    const std::string key = "<d1>" + category + "</d1>";
    std::size_t at = text.find(key);
    while (at != std::string::npos) {
        const auto d2 = plainTag(text, "d2", at + key.size());
        if (!d2) return {};
        if (StrToIntDef(d2->first, 0) == serial) {
            CaseLookup result;
            result.blockFound = true;
            const auto d3 = plainTag(text, "d3", d2->second);
            if (!d3) return result;
            result.idNumber = d3->first;
            const auto d9 = plainTag(text, "d9", d3->second);
            if (!d9) return result;
            result.visitDate = d9->first;
            const auto d49 = plainTag(text, "d49", d9->second);
            if (d49) result.name = d49->first;
            return result;
        }
        at = text.find(key, d2->second);
    }
    return {};
}

// ---- Random declarations ---------------------------------------------------------------

const std::vector<std::string> kCategories = {"04", "4", " 04", "A1", "a1", "", "功", "中文"};
const std::vector<std::int32_t> kSerials = {0, 1, 2, 123};

class RandomDeclaration {
public:
    explicit RandomDeclaration(unsigned seed) : random_(seed) {}

    std::string make() {
        std::string out = "<tdata>";
        const int parts = pick(60);
        for (int i = 0; i < parts; ++i) out += fragment();
        return out;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string bytesOf(const std::string& utf8) { return platform::encodeCodePage(utf8); }

    // Raw bytes of a value: ASCII, Big5 characters (some with ASCII trail bytes), undefined
    // pairs, lead bytes cut off by what follows, line breaks.
    std::string value() {
        std::string v;
        const int length = pick(6);
        for (int i = 0; i < length; ++i) {
            switch (pick(8)) {
                case 0: v += static_cast<char>('0' + pick(10)); break;
                case 1: v += bytesOf("許功蓋陳"); break;
                case 2: v += static_cast<char>(0x81 + pick(0x7E)); break;  // lead byte, maybe cut off
                case 3: v += static_cast<char>(0x81 + pick(0x7E)), v += static_cast<char>(0x40 + pick(0x3F)); break;
                case 4: v += "\r\n"; break;
                case 5: v += " "; break;
                case 6: v += static_cast<char>(0xA1 + pick(0x5E)); break;
                default: v += static_cast<char>('A' + pick(26)); break;
            }
        }
        return v;
    }

    std::string element(const std::string& tag, const std::string& content) {
        return "<" + tag + ">" + content + "</" + tag + ">";
    }

    std::string serialText() {
        static const std::vector<std::string> serials = {"1", "01", "2", " 2", "2 ", "x", "", "000123", "123"};
        return serials[static_cast<std::size_t>(pick(static_cast<int>(serials.size())))];
    }

    std::string fragment() {
        switch (pick(14)) {
            case 0:
            case 1:
            case 2: {  // a whole block, sometimes with a missing element
                const int skip = pick(8);
                std::string b = element("d1", bytesOf(kCategories[static_cast<std::size_t>(pick(8))]));
                if (skip != 1) b += element("d2", serialText());
                if (skip != 2) b += element("d3", value());
                b += element("d4", value());
                if (skip != 3) b += element("d9", value());
                if (skip != 4) b += element("d49", value());
                return b;
            }
            case 3: return element("d1", bytesOf(kCategories[static_cast<std::size_t>(pick(8))]));
            case 4: return element("d2", serialText());
            case 5: return element(pick(2) ? "d3" : "d9", value());
            case 6: return element("d49", value());
            case 7: {
                static const std::vector<std::string> broken = {"<d1>", "</d1>", "<d2>", "</d2>", "<D1>", "</d49>",
                                                                "<d49 a=\"1\">", "<d4>", "<t3>", "</t3>", "<"};
                return broken[static_cast<std::size_t>(pick(static_cast<int>(broken.size())))];
            }
            case 8: return element("t" + std::to_string(2 + pick(5)), value());
            case 9: return "\r\n";
            default: return value();
        }
    }

    std::mt19937 random_;
};

TEST(CaseLookupEquivalence, RawBytesAndOneScanMatchTheDecodedText) {
    int found = 0, notFound = 0;
    for (unsigned seed = 1; seed <= 1500; ++seed) {
        const std::string bytes = RandomDeclaration(seed).make();
        const std::string decoded = decodeText(bytes);
        const auto raw = DeclarationText::fromFileBytes(bytes);
        ASSERT_TRUE(raw.isRawCodePage());
        const auto utf8 = DeclarationText::fromFileBytes("\xEF\xBB\xBF" + decoded);
        const CaseIndex rawIndex(raw, kCategories);
        const CaseIndex utf8Index(utf8, kCategories);

        for (const std::string& category : kCategories) {
            for (std::int32_t serial : kSerials) {
                const CaseLookup expected = plainLookup(decoded, category, serial);
                (expected.blockFound ? found : notFound) += 1;
                ASSERT_EQ(lookupCase(raw, category, serial), expected) << "seed " << seed << " " << category << serial;
                ASSERT_EQ(rawIndex.find(category, serial), expected) << "seed " << seed << " " << category << serial;
                ASSERT_EQ(utf8Index.find(category, serial), expected) << "seed " << seed << " " << category << serial;
            }
        }

        const DeclarationHeader header = readDeclarationHeader(raw);
        const auto t2 = plainTag(decoded, "t2", 0);
        const auto t3 = t2 ? plainTag(decoded, "t3", 0) : std::nullopt;
        const auto t6 = t3 ? plainTag(decoded, "t6", t3->second) : std::nullopt;
        ASSERT_EQ(header.hospitalCode, t2 ? std::optional(t2->first) : std::nullopt) << "seed " << seed;
        ASSERT_EQ(header.feeYearMonth, t3 ? std::optional(t3->first) : std::nullopt) << "seed " << seed;
        ASSERT_EQ(header.declarationDate, t6 ? std::optional(t6->first) : std::nullopt) << "seed " << seed;
    }
    // The random declarations must exercise both outcomes.
    EXPECT_GT(found, 1000);
    EXPECT_GT(notFound, 1000);
}

TEST(CaseLookupEquivalence, IndexHandlesCategoriesItWasNotBuiltFor) {
    const auto text = DeclarationText::fromFileBytes(
        platform::encodeCodePage("<d1>04</d1><d2>1</d2><d3>X</d3><d9>Y</d9><d49>陳</d49>"
                                 "<d1>a</d1></d1><d2>2</d2><d3>P</d3><d9>Q</d9><d49>R</d49>"));
    const CaseIndex index(text, {"A1", "a</d1>"});
    EXPECT_EQ(index.find("04", 1).name, "陳");        // not given: scanned on its own
    EXPECT_EQ(index.find("a</d1>", 2).name, "R");     // contains the closing tag
    EXPECT_FALSE(index.find("A1", 1).blockFound);
}

}  // namespace
}  // namespace tessaro::feeinput
