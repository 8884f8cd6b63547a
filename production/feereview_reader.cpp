#include "production/feereview_reader.h"

#include "feeinput/case_categories.h"
#include "platform/code_page.h"
#include "platform/utf.h"
#include "production/feereview_document.h"
#include "production/roc_dates.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace tessaro::production {
namespace {

// ---- A minimal XML reader ----------------------------------------------------------------

struct Element {
    std::string name;
    std::string text;  // character data, entities resolved
    std::vector<Element> children;
};

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.' || c == ':';
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads one document of elements and text. A fault that breaks the structure ends reading
// (nothing is given); faults within a value are reported and reading goes on.
class XmlReader {
public:
    XmlReader(std::string_view text, std::vector<std::string>& problems) : s_(text), problems_(problems) {}

    std::optional<Element> document() {
        if (!declaration()) return std::nullopt;
        skipBlanks();
        if (!at('<') || !startsTag())
            return fail("the document has no root element");
        auto root = element(0);
        if (!root) return std::nullopt;
        skipBlanks();
        if (pos_ != s_.size()) return fail("text follows the root element");
        return root;
    }

private:
    static constexpr int kMaxDepth = 16;  // the format nests four deep

    std::nullopt_t fail(std::string problem) {
        problems_.push_back(std::move(problem));
        return std::nullopt;
    }
    bool at(char c) const { return pos_ < s_.size() && s_[pos_] == c; }
    bool startsWith(std::string_view text) const { return s_.substr(pos_).starts_with(text); }
    void skipBlanks() {
        while (pos_ < s_.size() && isBlank(s_[pos_])) ++pos_;
    }

    bool declaration() {
        if (!startsWith("<?xml")) {
            problems_.push_back("the document does not begin with an XML declaration");
            return true;
        }
        const std::size_t end = s_.find("?>", pos_);
        if (end == std::string_view::npos) {
            problems_.push_back("the XML declaration is not closed");
            return false;
        }
        const std::string_view decl = s_.substr(pos_, end + 2 - pos_);
        if (decl != "<?xml version=\"1.0\" encoding=\"Big5\"?>")
            problems_.push_back("the XML declaration is not <?xml version=\"1.0\" encoding=\"Big5\"?>: " + std::string(decl));
        pos_ = end + 2;
        return true;
    }

    // True at "<name>" or "<name " (a start tag); "<B</c10>" is a "<" inside a value.
    bool startsTag() const {
        std::size_t i = pos_ + 1;
        while (i < s_.size() && isNameChar(s_[i])) ++i;
        return i > pos_ + 1 && i < s_.size() && (s_[i] == '>' || isBlank(s_[i]));
    }

    std::string name() {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
        return std::string(s_.substr(start, pos_ - start));
    }

    std::optional<Element> element(int depth) {
        if (depth > kMaxDepth) return fail("elements are nested too deeply");
        ++pos_;  // '<'
        Element e;
        e.name = name();
        if (!at('>')) {
            const std::size_t close = s_.find('>', pos_);
            if (close == std::string_view::npos) return fail("the tag <" + e.name + " is not closed");
            problems_.push_back("<" + e.name + "> has attributes, which the format does not have");
            pos_ = close;
        }
        ++pos_;  // '>'
        bool hasText = false;
        for (;;) {
            if (pos_ >= s_.size()) return fail("<" + e.name + "> is not closed");
            const char c = s_[pos_];
            if (c == '<') {
                if (startsWith("</")) break;
                if (startsTag()) {
                    auto child = element(depth + 1);
                    if (!child) return std::nullopt;
                    e.children.push_back(std::move(*child));
                    continue;
                }
                return fail("the value of <" + e.name + "> holds an unescaped \"<\"");
            }
            if (c == '&') {
                e.text += entity(e.name);
                hasText = true;
                continue;
            }
            if (c == '>') problems_.push_back("the value of <" + e.name + "> holds an unescaped \">\"");
            if (!isBlank(c)) hasText = true;
            e.text += c;
            ++pos_;
        }
        pos_ += 2;  // "</"
        const std::string closing = name();
        if (!at('>')) return fail("the closing tag </" + closing + " is not closed");
        ++pos_;
        if (closing != e.name) return fail("<" + e.name + "> is closed by </" + closing + ">");
        if (hasText && !e.children.empty()) problems_.push_back("<" + e.name + "> mixes text and elements");
        if (!e.children.empty()) e.text.clear();
        return e;
    }

    // A reference at '&': its character, or the '&' itself when it is none (reported).
    std::string entity(const std::string& owner) {
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
        for (const auto& [ref, c] : kNamed)
            if (startsWith(ref)) {
                pos_ += ref.size();
                return std::string(1, c);
            }
        if (startsWith("&#")) {
            const bool hex = pos_ + 2 < s_.size() && s_[pos_ + 2] == 'x';
            std::size_t i = pos_ + (hex ? 3 : 2);
            std::uint32_t value = 0;
            const std::size_t first = i;
            while (i < s_.size() && i - first < 8 && std::isxdigit(static_cast<unsigned char>(s_[i])) &&
                   (hex || std::isdigit(static_cast<unsigned char>(s_[i])))) {
                const char d = s_[i++];
                value = value * (hex ? 16 : 10) +
                        static_cast<std::uint32_t>(d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
            }
            if (i > first && i < s_.size() && s_[i] == ';' && value > 0 && value <= 0x10FFFF) {
                pos_ = i + 1;
                std::string character;
                platform::appendUtf8(character, value);
                return character;
            }
        }
        problems_.push_back("the value of <" + owner + "> holds an unescaped \"&\"");
        ++pos_;
        return "&";
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::vector<std::string>& problems_;
};

// ---- The feereview structure -------------------------------------------------------------

std::string tagList(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += "<" + n + ">";
    return out.empty() ? "nothing" : out;
}

// True when `e`'s children are named `expected`, in order; else reports what it holds.
bool childrenAre(const Element& e, const std::vector<std::string>& expected, std::vector<std::string>& problems) {
    std::vector<std::string> names;
    for (const Element& child : e.children) names.push_back(child.name);
    if (names == expected) return true;
    problems.push_back("<" + e.name + "> holds " + tagList(names) + " instead of " + tagList(expected));
    return false;
}

// The text of the leaf `name` among `e`'s children; reports a leaf that holds elements.
std::optional<std::string> leaf(const Element& e, const std::string& name, std::vector<std::string>& problems) {
    for (const Element& child : e.children) {
        if (child.name != name) continue;
        if (!child.children.empty()) problems.push_back("<" + name + "> holds elements instead of a value");
        return child.text;
    }
    return std::nullopt;
}

FeeReviewContent contentOf(const Element& root, std::vector<std::string>& problems) {
    FeeReviewContent content;
    if (root.name != "feereview") problems.push_back("the root element is <" + root.name + ">, not <feereview>");
    if (!childrenAre(root, {"cdata"}, problems)) return content;
    const Element& cdata = root.children.front();
    if (!childrenAre(cdata, {"chead", "cbody"}, problems)) return content;
    const Element& chead = cdata.children[0];
    const Element& cbody = cdata.children[1];
    childrenAre(chead, {"c1", "c2", "c3", "c4", "c5", "c6"}, problems);
    auto take = [&](const Element& e, const char* name, std::string& into) {
        if (auto value = leaf(e, name, problems)) into = std::move(*value);
    };
    take(chead, "c1", content.c1);
    take(chead, "c2", content.c2);
    take(chead, "c3", content.c3);
    take(chead, "c4", content.c4);
    take(chead, "c5", content.c5);
    take(chead, "c6", content.c6);

    std::vector<std::string> expected = {"c7", "c8", "c10"};
    for (std::size_t i = 3; i < cbody.children.size(); ++i) expected.push_back("fdata");
    childrenAre(cbody, expected, problems);
    take(cbody, "c7", content.c7);
    take(cbody, "c8", content.c8);
    take(cbody, "c10", content.c10);
    for (const Element& fdata : cbody.children) {
        if (fdata.name != "fdata") continue;
        const bool withDescription = fdata.children.size() == 4;
        childrenAre(fdata, withDescription ? std::vector<std::string>{"f1", "f2", "f3", "f4"} : std::vector<std::string>{"f1", "f2", "f3"},
                    problems);
        FeeReviewFile file;
        take(fdata, "f1", file.f1);
        take(fdata, "f2", file.f2);
        take(fdata, "f3", file.f3);
        file.f4 = leaf(fdata, "f4", problems);
        content.files.push_back(std::move(file));
    }
    return content;
}

// ---- Value formats -----------------------------------------------------------------------

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int digitsValue(std::string_view text) {
    int value = 0;
    for (const char c : text) value = value * 10 + (c - '0');
    return value;
}

std::string quotedValue(std::string_view value) { return "'" + std::string(value) + "'"; }

}  // namespace

std::optional<FeeReviewContent> readFeeReview(std::string_view bytes, std::vector<std::string>& problems) {
    if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        problems.push_back("the document begins with a byte-order mark; it must be Big5 text without one");
    const std::string text = platform::decodeCodePage(bytes);
    if (text.find("\xEF\xBF\xBD") != std::string::npos) problems.push_back("the document holds bytes that are not Big5 text");
    XmlReader reader(text, problems);
    const auto root = reader.document();
    if (!root) return std::nullopt;
    return contentOf(*root, problems);
}

void checkFeeReviewValues(const FeeReviewContent& c, std::vector<std::string>& problems) {
    auto report = [&](const char* tag, const std::string& what, std::string_view value) {
        problems.push_back(std::string("<") + tag + "> " + what + ": " + quotedValue(value));
    };
    if (c.c1 != "1" && c.c1 != "2" && c.c1 != "3") report("c1", "is no upload category (1, 2 or 3)", c.c1);
    if (c.c2.empty()) report("c2", "holds no hospital code", c.c2);
    if (c.c3 != "11") report("c3", "is not 11", c.c3);
    if (c.c4.size() != 5 || !allDigits(c.c4) || digitsValue(c.c4.substr(3)) < 1 || digitsValue(c.c4.substr(3)) > 12)
        report("c4", "is no ROC year-month (YYYMM)", c.c4);
    if (c.c5 != "1" && c.c5 != "2" && c.c5 != "4" && c.c5 != "5") report("c5", "is no declaration category (1, 2, 4 or 5)", c.c5);
    if (c.c6 == "18991230")
        report("c6", "is the zero date: the declaration date could not be read", c.c6);
    else if (c.c6.size() != 8 || !allDigits(c.c6) ||
             !isValidCivilDate(digitsValue(c.c6.substr(0, 4)), digitsValue(c.c6.substr(4, 2)), digitsValue(c.c6.substr(6, 2))))
        report("c6", "is no date (yyyymmdd)", c.c6);
    const auto& codes = feeinput::caseCategoryCodes();
    if (std::find(codes.begin(), codes.end(), c.c7) == codes.end()) report("c7", "is no case category code", c.c7);
    if (c.c8.size() < 6 || !allDigits(c.c8) || c.c8.find_first_not_of('0') == std::string::npos)
        report("c8", "is no serial number of at least six digits other than zero", c.c8);
    if (c.c10.empty()) report("c10", "holds no ID number", c.c10);
    if (c.files.empty()) problems.push_back("the document lists no file");

    for (const FeeReviewFile& f : c.files) {
        const std::string entry = "the file entry " + quotedValue(f.f1);
        if (f.f3 == "DCF") {
            if (f.f1 != "DICOMDIR" || f.f2 != "DICOM") problems.push_back(entry + " of kind DCF is not DICOMDIR of type DICOM");
        } else if (f.f3 == "ATT") {
            const std::size_t dot = f.f1.rfind('.');
            if (dot == std::string::npos || f.f1.substr(dot + 1) != f.f2)
                problems.push_back(entry + " has the type " + quotedValue(f.f2) + ", not its extension");
        } else if (f.f3 == "EMR") {
            if (f.f2 != "XML" || !f.f1.ends_with(".XML")) problems.push_back(entry + " of kind EMR is not an XML file");
        } else {
            problems.push_back(entry + " has the kind " + quotedValue(f.f3) + ", not DCF, ATT or EMR");
            continue;
        }
        const bool wantsDescription = f.f3 != "EMR";
        if (wantsDescription && f.f4 != std::string(kRecordDescription))
            problems.push_back(entry + " lacks the description <f4>" + std::string(kRecordDescription) + "</f4>");
        if (!wantsDescription && f.f4) problems.push_back(entry + " of kind EMR has a description, which it must not");
    }
}

}  // namespace tessaro::production
