#include "production/roc_dates.h"

#include "platform/calendar.h"
#include "platform/local_time.h"
#include "platform/user_port.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace tessaro::production {
namespace {

constexpr DateTime kFirstValid = -657434.0;  // 0100-01-01 00:00
constexpr DateTime kPastLast = 2958466.0;    // 10000-01-01 00:00

// Splits UTF-8 text into its characters, each kept as its own UTF-8 bytes.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> chars;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !chars.empty())
            chars.back() += c;
        else
            chars.emplace_back(1, c);
    }
    return chars;
}

std::string joined(const std::vector<std::string>& chars, size_t first, size_t count) {
    std::string text;
    for (size_t i = first; i < first + count; ++i) text += chars[i];
    return text;
}

// Decimal integer with leading blanks and an optional sign; nothing may follow the digits.
std::optional<int> decimalValue(const std::string& text) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos == text.size()) return std::nullopt;
    int value = 0;
    for (; pos < text.size(); ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return std::nullopt;
        value = value * 10 + (text[pos] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

bool IsValidDateTime(DateTime dt) { return dt >= kFirstValid && dt < kPastLast; }

CivilDate dateOf(DateTime dt) {
    // The integer part (towards zero) is the day; the fraction is the time of that day.
    return platform::dateAfterDateTimeEpoch(static_cast<long long>(std::trunc(dt)));
}

DateTime dateTimeOf(const CivilDate& date) {
    return static_cast<DateTime>(platform::daysSinceDateTimeEpoch(date));
}

bool isValidCivilDate(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string DateTimeToStr7(DateTime Atime) {
    if (!IsValidDateTime(Atime)) return {};
    const CivilDate date = dateOf(Atime);
    const int rocYear = date.year - 1911;
    char text[32];
    if (rocYear >= 0)
        std::snprintf(text, sizeof text, "%03d%02d%02d", rocYear, date.month, date.day);
    else
        std::snprintf(text, sizeof text, "-%02d%02d%02d", -rocYear, date.month, date.day);
    return text;
}

std::string DateTimeToStr8(DateTime dt) {
    const CivilDate date = dateOf(IsValidDateTime(dt) ? dt : 0);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

bool isRocDate(std::string_view text) {
    if (text.size() != 7 || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (const char c : text.substr(at, length)) value = value * 10 + (c - '0');
        return value;
    };
    return isValidCivilDate(number(0, 3) + 1911, number(3, 2), number(5, 2));
}

bool isRocYearMonth(std::string_view text) {
    return text.size() == 5 && isRocDate(std::string(text) + "01");
}

DateTime str7toDate(const std::string& tmpstr, UserPort& port) {
    const std::vector<std::string> chars = characters(tmpstr);
    if (chars.size() != 7) return 0;
    const int year = decimalValue(joined(chars, 0, 3)).value_or(0) + 1911;
    const int month = decimalValue(joined(chars, 3, 2)).value_or(1);
    const int day = decimalValue(joined(chars, 5, 2)).value_or(1);
    if (isValidCivilDate(year, month, day)) return dateTimeOf({year, month, day});
    port.showMessage(tmpstr + " 不能轉換成民國日期單位(YYYMMDD)");
    return 0;
}

DateTime now() {
    double secondFraction = 0;
    const platform::LocalTime t = platform::localNow(&secondFraction);
    const double seconds = t.hour * 3600.0 + t.minute * 60.0 + t.second + secondFraction;
    return dateTimeOf({t.year, t.month, t.day}) + seconds / 86400.0;
}

}  // namespace tessaro::production
