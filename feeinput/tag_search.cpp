#include "feeinput/tag_search.h"

#include <string>

namespace tessaro::feeinput {

std::size_t findLiteral(std::string_view text, std::string_view needle, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    return text.find(needle, from);
}

std::optional<TagValue> findTag(std::string_view text, std::string_view tag, std::size_t from) {
    const std::string opening = "<" + std::string(tag) + ">";
    const std::string closing = "</" + std::string(tag) + ">";

    const std::size_t openAt = findLiteral(text, opening, from);
    if (openAt == std::string_view::npos) return std::nullopt;
    const std::size_t valueBegin = openAt + opening.size();
    const std::size_t closeAt = findLiteral(text, closing, valueBegin);
    if (closeAt == std::string_view::npos) return std::nullopt;
    return TagValue{valueBegin, closeAt, closeAt + closing.size()};
}

}  // namespace tessaro::feeinput
