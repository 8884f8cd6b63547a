// Gregorian calendar arithmetic for date-time values, which count days since 1899-12-30.
#pragma once

namespace tessaro::platform {

struct CivilDate {
    int year;
    int month;
    int day;
    bool operator==(const CivilDate&) const = default;
};

// Days from 1899-12-30 to a Gregorian date (negative before it).
long long daysSinceDateTimeEpoch(const CivilDate& date);

// The Gregorian date `days` days after 1899-12-30.
CivilDate dateAfterDateTimeEpoch(long long days);

}  // namespace tessaro::platform
