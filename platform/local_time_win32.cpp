// Local time on Windows, through the system's time zone (GetTimeZoneInformation's rules for
// the year in question) rather than the C runtime, whose localtime would read a POSIX-style
// TZ variable when one is set.
#include "platform/local_time.h"

#include "platform/win32_support.h"


namespace tessaro::platform {
namespace {

LocalTime fromSystemTime(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace

LocalTime toLocalTime(std::time_t t) {
    const FILETIME utcTime = win32::toFileTime(t);
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&utcTime, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    return fromSystemTime(local);
}

std::time_t fromLocalTime(const LocalTime& local) {
    // The fields must name a real moment (callers check them); -1 otherwise, as from mktime.
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.year);
    st.wMonth = static_cast<WORD>(local.month);
    st.wDay = static_cast<WORD>(local.day);
    st.wHour = static_cast<WORD>(local.hour);
    st.wMinute = static_cast<WORD>(local.minute);
    st.wSecond = static_cast<WORD>(local.second);
    SYSTEMTIME utc{};
    FILETIME utcTime{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &st, &utc) || !::SystemTimeToFileTime(&utc, &utcTime))
        return static_cast<std::time_t>(-1);
    return win32::toTimeT(utcTime);
}

}  // namespace tessaro::platform
