#include "feeinput/text_fields.h"

#include "platform/code_page.h"

#include <limits>

namespace tessaro::feeinput {
namespace {

constexpr char kQuote = '"';

// Reads a quoted field starting at the opening quote; returns the position after the
// closing quote (or the end of the line when the quote is never closed).
size_t readQuotedField(std::string_view line, size_t pos, std::string& field) {
    ++pos;  // opening quote
    while (pos < line.size()) {
        if (line[pos] != kQuote) {
            field += line[pos++];
        } else if (pos + 1 < line.size() && line[pos + 1] == kQuote) {
            field += kQuote;
            pos += 2;
        } else {
            return pos + 1;
        }
    }
    return pos;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::vector<std::string> SetDelimitedText(std::string_view line, char delimiter) {
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        std::string field;
        if (line[pos] == kQuote) {
            pos = readQuotedField(line, pos, field);
        } else {
            const size_t end = std::min(line.find(delimiter, pos), line.size());
            field.assign(line.substr(pos, end - pos));
            pos = end;
        }
        fields.push_back(std::move(field));
        if (pos < line.size() && line[pos] == delimiter) {
            if (pos + 1 == line.size()) fields.emplace_back();
            ++pos;
        }
    }
    return fields;
}

std::string delimitedField(std::string_view field, char delimiter) {
    if (field.find(delimiter) == std::string_view::npos && (field.empty() || field.front() != kQuote))
        return std::string(field);
    std::string quoted(1, kQuote);
    for (const char c : field) {
        if (c == kQuote) quoted += kQuote;
        quoted += c;
    }
    return quoted + kQuote;
}

std::string Trim(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
    return std::string(text.substr(first, last - first));
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    int base = 10;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        base = 16, pos += 1;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16, pos += 2;
    }
    if (pos == text.size()) return fallback;

    // Accumulate the magnitude; the negative range is one larger than the positive one.
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = hexDigitValue(text[pos]);
        if (digit < 0 || digit >= base) return fallback;
        value = value * base + digit;
        if (value > limit) return fallback;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string ansiByteField(std::string_view line, size_t position, size_t count) {
    const std::string bytes = platform::encodeCodePage(line, platform::kAnsiCodePage);
    if (position < 1 || position > bytes.size()) return {};
    return platform::decodeCodePage(std::string_view(bytes).substr(position - 1, count), platform::kAnsiCodePage);
}

}  // namespace tessaro::feeinput
