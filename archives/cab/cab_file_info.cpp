#include "archives/cab/cab_file_info.h"

#include "platform/calendar.h"
#include "platform/local_time.h"

namespace tessaro::archives::cab {
double toDateTimeValue(std::time_t t) {
    const platform::LocalTime local = platform::toLocalTime(t);
    if (local.year < 100 || local.year > 9999) return 0;
    const long long days = platform::daysSinceDateTimeEpoch({local.year, local.month, local.day});
    const int seconds = local.hour * 3600 + local.minute * 60 + local.second / 2 * 2;
    // Dates before 1899-12-30 count the time of day away from zero, like the day itself.
    const double fraction = seconds / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

}  // namespace tessaro::archives::cab
