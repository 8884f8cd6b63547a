// How tessaro-cli list shows dates and attributes of archive entries.
#pragma once

#include <cstdint>
#include <string>

namespace tessaro::cli {

// MS-DOS date and time words as "YYYY-MM-DD HH:MM:SS".
std::string formatDosDateTime(std::uint16_t date, std::uint16_t time);

// DOS attribute bits as letters: D folder, R read-only, H hidden, S system, A archive;
// "-" when none is set.
std::string formatDosAttributes(std::uint32_t attributes);

}  // namespace tessaro::cli
