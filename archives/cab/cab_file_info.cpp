#include "archives/cab/cab_file_info.h"

#include "platform/local_time.h"

#include <chrono>

namespace tessaro::archives::cab {
namespace {

namespace fs = std::filesystem;

std::time_t toPosixTime(fs::file_time_type t) {
    const auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
}

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

std::optional<DiskFileInfo> diskFileInfo(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return std::nullopt;
    DiskFileInfo info;
    info.isDirectory = fs::is_directory(status);
    if (fs::is_regular_file(status)) {
        info.size = fs::file_size(path, ec);
        if (ec) info.size = 0;
        info.attributes |= kDosArchive;
    }
    if (info.isDirectory) info.attributes |= kDosDirectory;
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) info.attributes |= kDosReadOnly;
    const auto name = path.filename().string();
    if (!name.empty() && name[0] == '.') info.attributes |= kDosHidden;
    const auto written = fs::last_write_time(path, ec);
    info.lastWrite = ec ? 0 : toPosixTime(written);
    return info;
}

DosDateTime toDosDateTime(std::time_t t) {
    const platform::LocalTime local = platform::toLocalTime(t);
    if (local.year < 1980) return {static_cast<std::uint16_t>(1 << 5 | 1), 0};
    if (local.year > 2107) return {static_cast<std::uint16_t>(127 << 9 | 12 << 5 | 31), static_cast<std::uint16_t>(23 << 11 | 59 << 5 | 29)};
    return {static_cast<std::uint16_t>((local.year - 1980) << 9 | local.month << 5 | local.day),
            static_cast<std::uint16_t>(local.hour << 11 | local.minute << 5 | local.second / 2)};
}

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
