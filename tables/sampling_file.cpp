#include "tables/sampling_file.h"

#include "feeinput/text_fields.h"
#include "platform/code_page.h"

#include <algorithm>
#include <vector>

namespace tessaro::tables {
namespace {

// ---- Comma-separated form --------------------------------------------------------------------

constexpr std::size_t kCsvFields = 6;

// The 1-based field `number`, trimmed; empty when the line has no such field.
std::string csvField(const std::vector<std::string>& fields, std::size_t number) {
    return number <= fields.size() ? feeinput::Trim(fields[number - 1]) : std::string();
}

// ---- Fixed-width form ------------------------------------------------------------------------

constexpr std::size_t kFixedMinimumBytes = 40;
constexpr std::size_t kNameBegin = 59;
constexpr std::size_t kNameBytes = 40;
constexpr std::size_t kVisitDateGap = 7;  // the field between the name's blanks and the date
constexpr std::size_t kVisitDateBytes = 7;

// A line's ANSI byte view: its code page 950 bytes, cut by 1-based position and count.
class ByteView {
public:
    explicit ByteView(std::string_view line) : bytes_(platform::encodeCodePage(line, platform::kAnsiCodePage)) {}

    std::size_t size() const { return bytes_.size(); }
    unsigned char at(std::size_t position) const { return static_cast<unsigned char>(bytes_[position - 1]); }

    // The bytes of the range that the line has, decoded.
    std::string field(std::size_t position, std::size_t count) const {
        return platform::decodeCodePage(cut(position, count), platform::kAnsiCodePage);
    }

    // The same, but a two-byte character whose second byte lies after the range is left
    // out instead of decoding its first half to a substitute character.
    std::string fieldOfWholeCharacters(std::size_t position, std::size_t count) const {
        std::string_view bytes = cut(position, count);
        const std::size_t last = position + bytes.size() - 1;
        if (!bytes.empty() && last < size() && startsTwoByteCharacter(last)) bytes.remove_suffix(1);
        return platform::decodeCodePage(bytes, platform::kAnsiCodePage);
    }

private:
    std::string_view cut(std::size_t position, std::size_t count) const {
        if (position < 1 || position > bytes_.size()) return {};
        return std::string_view(bytes_).substr(position - 1, count);
    }

    // Whether the byte at `position` is the first of a two-byte character, walking the line
    // from its start (a trail byte may look like a lead byte or like ASCII on its own). The
    // bytes are the encoder's, so every lead byte is followed by its trail byte.
    bool startsTwoByteCharacter(std::size_t position) const {
        std::size_t p = 1;
        while (p < position) p += isLeadByte(at(p)) ? 2 : 1;
        return p == position && isLeadByte(at(p));
    }

    static bool isLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

    std::string bytes_;
};

// Byte 59 on: over the name, over the blanks after it, past a 7-byte field; the next 7.
std::string visitDateOf(const ByteView& view) {
    std::size_t p = kNameBegin;
    while (p <= view.size() && view.at(p) != ' ') ++p;
    while (p <= view.size() && view.at(p) == ' ') ++p;
    return feeinput::Trim(view.field(p + kVisitDateGap, kVisitDateBytes));
}

}  // namespace

std::optional<SamplingLine> readSamplingCsvLine(std::string_view line) {
    std::string withoutApostrophes(line);
    std::erase(withoutApostrophes, '\'');
    const std::vector<std::string> fields = feeinput::SetDelimitedText(withoutApostrophes, ',');
    if (fields.size() < kCsvFields) return std::nullopt;

    SamplingLine result;
    result.hospitalCode = csvField(fields, 1);
    result.feeYearMonth = csvField(fields, 2);
    result.declarationType = csvField(fields, 3);
    result.declarationDate = csvField(fields, 4);
    result.category = csvField(fields, 5);
    result.serial = feeinput::StrToIntDef(csvField(fields, 6), 0);
    result.idNumber = csvField(fields, 8);
    result.name = csvField(fields, 12);
    result.visitDate = csvField(fields, 14);
    return result;
}

std::optional<SamplingLine> readSamplingFixedLine(std::string_view line) {
    const ByteView view(line);
    if (view.size() < kFixedMinimumBytes) return std::nullopt;

    SamplingLine result;
    result.hospitalCode = view.field(2, 10);
    result.feeYearMonth = view.field(12, 5);
    result.declarationType = view.field(17, 1);
    result.declarationDate = view.field(18, 7);
    result.category = view.field(25, 2);
    // Leading blanks are allowed, trailing ones make the serial 0.
    result.serial = feeinput::StrToIntDef(view.field(27, 6), 0);
    result.idNumber = feeinput::Trim(view.field(35, 10));
    result.name = feeinput::Trim(view.fieldOfWholeCharacters(kNameBegin, kNameBytes));
    result.visitDate = visitDateOf(view);
    return result;
}

}  // namespace tessaro::tables
