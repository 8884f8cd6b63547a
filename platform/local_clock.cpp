// The clock, the same on every platform: the current second in local time and its fraction.
#include "platform/local_time.h"

#include <chrono>

namespace tessaro::platform {

LocalTime localNow(double* secondFraction) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    if (secondFraction) {
        const auto whole = std::chrono::system_clock::from_time_t(seconds);
        *secondFraction = std::chrono::duration<double>(now - whole).count();
    }
    return toLocalTime(seconds);
}

}  // namespace tessaro::platform
