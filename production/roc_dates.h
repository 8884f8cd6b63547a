// Calendar helpers for the Republic-of-China (ROC) dates the insurer's files use.
//
// A date-time value counts days since 1899-12-30 00:00, the fraction being the time of day;
// 0 stands for "no date". An ROC date is written YYYMMDD: the ROC year (Gregorian year - 1911)
// with at least three digits, then month and day with two digits each.
#pragma once

#include "platform/calendar.h"

#include <string>
#include <string_view>

namespace tessaro {
class UserPort;
}

namespace tessaro::production {

using DateTime = double;

using CivilDate = platform::CivilDate;

// True for -657434.0 (0100-01-01) <= dt < 2958466.0 (the instant after 9999-12-31).
bool IsValidDateTime(DateTime dt);

// The calendar date of `dt` (its time of day ignored). `dt` must be valid.
CivilDate dateOf(DateTime dt);

// Midnight of a calendar date.
DateTime dateTimeOf(const CivilDate& date);

// True when year, month and day form a date of the Gregorian calendar.
bool isValidCivilDate(int year, int month, int day);

// The ROC date of `Atime`, or the empty text when it lies outside the valid range.
// Years before 1911 give a minus sign and at least two digits: 1910-12-31 is "-011231".
std::string DateTimeToStr7(DateTime Atime);

// The date of a seven-character ROC date at 00:00, or 0. A text of another length gives 0
// silently; a text of seven characters that makes no date is reported through `port` as the
// text followed by " 不能轉換成民國日期單位(YYYMMDD)".
DateTime str7toDate(const std::string& tmpstr, UserPort& port);

// True when `text` is a ROC date as a declaration carries it: seven digits YYYMMDD that form
// a date of the Gregorian calendar (year + 1911). Reports nothing.
bool isRocDate(std::string_view text);
// True when `text` is a ROC year-month as a fee month is written: five digits YYYMM, month 01-12.
bool isRocYearMonth(std::string_view text);

// The date of `dt` as eight Gregorian digits, "YYYYMMDD"; the zero date for an invalid `dt`.
std::string DateTimeToStr8(DateTime dt);

// The current local date and time.
DateTime now();

}  // namespace tessaro::production
