// DOS date and time: the two 16-bit fields ZIP and cabinet records store a file's time in.
//
// date = (year - 1980) << 9 | month << 5 | day;  time = hour << 11 | minute << 5 | second / 2.
// They hold local wall-clock time with two-second resolution, so both directions go through
// the local time zone.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace tessaro::platform {

struct DosDateTime {
    std::uint16_t date = 0x21;  // 1980-01-01
    std::uint16_t time = 0;
};

// The DOS date and time of `t` in local time. Odd seconds are rounded down; times before
// 1980 become 1980-01-01 00:00:00 and times after 2107 the last representable second.
DosDateTime toDosDateTime(std::time_t t);

// The POSIX time of a DOS date and time read as local time; nothing for fields that name no
// real moment (month 0 or 13, day 31 of April, hour 24, ...).
std::optional<std::time_t> fromDosDateTime(std::uint16_t date, std::uint16_t time);

}  // namespace tessaro::platform
