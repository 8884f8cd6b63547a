// The date-time value of the cabinet builder's item list: a file's local last-write time to
// two seconds, as days since 1899-12-30 (the fraction being the time of day).
#pragma once

#include <ctime>

namespace tessaro::archives::cab {

// 0 when `t` cannot be converted or lies outside the years 100-9999.
double toDateTimeValue(std::time_t t);

}  // namespace tessaro::archives::cab
