#include "archives/cab/cab_file_info.h"

#include "platform/local_time.h"

namespace tessaro::archives::cab {
namespace {

// Days from 1970-01-01 to the civil date y-m-d (proleptic Gregorian).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Days from 1899-12-30 to 1970-01-01.
constexpr long kDateTimeEpochOffset = 25569;

}  // namespace

double toDateTimeValue(std::time_t t) {
    const platform::LocalTime local = platform::toLocalTime(t);
    if (local.year < 100 || local.year > 9999) return 0;
    const long days = daysFromCivil(local.year, local.month, local.day) + kDateTimeEpochOffset;
    const int seconds = local.hour * 3600 + local.minute * 60 + local.second / 2 * 2;
    // Dates before 1899-12-30 count the time of day away from zero, like the day itself.
    const double fraction = seconds / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

}  // namespace tessaro::archives::cab
