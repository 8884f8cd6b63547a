// Local wall-clock time: the clock, and conversions between POSIX time and local calendar
// fields. DOS dates in archives and the ROC dates in package names are local times.
#pragma once

#include <ctime>

namespace tessaro::platform {

struct LocalTime {
    int year = 1980;
    int month = 1;  // 1-12
    int day = 1;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Calendar fields of `t` in the local time zone.
LocalTime toLocalTime(std::time_t t);

// The POSIX time of local calendar fields (daylight saving decided by the system).
std::time_t fromLocalTime(const LocalTime& local);

// The current local time, with the fraction of the current second in `secondFraction`.
LocalTime localNow(double* secondFraction = nullptr);

}  // namespace tessaro::platform
