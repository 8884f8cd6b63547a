#include "production/package_names.h"

#include "feeinput/text_fields.h"
#include "production/roc_dates.h"

#include <cstdio>
#include <stdexcept>

namespace tessaro::production {
namespace {

// The number of UTF-8 characters in `text`.
std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

// `text` without its first `characters` characters.
std::string_view dropCharacters(std::string_view text, std::size_t characters) {
    std::size_t i = 0;
    while (i < text.size()) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == 0) break;
            --characters;
        }
        ++i;
    }
    return text.substr(i);
}

}  // namespace

std::string serialDigits(std::string_view serialText, std::size_t digits) {
    const std::string padded = std::string(digits, '0') + feeinput::Trim(serialText);
    const std::size_t length = characterCount(padded);
    return std::string(dropCharacters(padded, length - digits));
}

std::string zeroPadded(std::uint32_t number, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%.*u", digits, number);
    return text;
}

std::string upperExtension(std::string_view path) {
    const std::size_t nameStart = path.find_last_of("/\\");
    const std::string_view name = nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

std::string dicomCopyName(std::string_view category, std::string_view serialText, std::uint32_t sequence) {
    return std::string(category) + serialDigits(serialText, 3) + zeroPadded(sequence, 3);
}

std::string recordCopyStem(char contentClass, std::string_view category, std::string_view serialText,
                           std::uint32_t sequence) {
    return "11" + std::string(1, contentClass) + std::string(category) + serialDigits(serialText, 6) +
           zeroPadded(sequence, 3) + ".";
}

const std::string& PackageNames::cabinetFor(std::string_view kind) const {
    if (kind == "ATT") return attCabinet;
    if (kind == "EMR") return emrCabinet;
    if (kind == "DCF") return dcfCabinet;
    throw std::invalid_argument("no cabinet for this kind");
}

PackageNames packageNames(std::string_view hospitalCode, const platform::CivilDate& today, std::uint32_t sequence) {
    const std::string code(hospitalCode);
    const std::string dated = code + "_" + DateTimeToStr8(dateTimeOf(today)) + zeroPadded(sequence, 8);
    PackageNames names;
    names.attCabinet = "ATT" + dated + ".CAB";
    names.emrCabinet = "EMR" + dated + ".CAB";
    names.dcfCabinet = "DCF" + dated + ".CAB";
    names.document = "XML" + dated + ".XML";
    names.package = code + "_" + DateTimeToStr7(dateTimeOf(today)) + "_" + zeroPadded(sequence, 3) + ".zip";
    return names;
}

}  // namespace tessaro::production
