#include "platform/dos_time.h"

#include "platform/local_time.h"

namespace tessaro::platform {
namespace {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

DosDateTime toDosDateTime(std::time_t t) {
    const LocalTime local = toLocalTime(t);
    if (local.year < 1980) return {};
    if (local.year > 2107) return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31),
                                   static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29)};
    DosDateTime dos;
    dos.date = static_cast<std::uint16_t>(((local.year - 1980) << 9) | (local.month << 5) | local.day);
    dos.time = static_cast<std::uint16_t>((local.hour << 11) | (local.minute << 5) | (local.second / 2));
    return dos;
}

std::optional<std::time_t> fromDosDateTime(std::uint16_t date, std::uint16_t time) {
    LocalTime local;
    local.year = 1980 + (date >> 9);
    local.month = (date >> 5) & 0x0F;
    local.day = date & 0x1F;
    local.hour = time >> 11;
    local.minute = (time >> 5) & 0x3F;
    local.second = (time & 0x1F) * 2;
    if (local.month < 1 || local.month > 12 || local.day < 1 || local.day > daysInMonth(local.year, local.month) ||
        local.hour > 23 || local.minute > 59 || local.second > 59)
        return std::nullopt;
    return fromLocalTime(local);
}

}  // namespace tessaro::platform
