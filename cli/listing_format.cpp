#include "cli/listing_format.h"

#include <cstdio>

namespace tessaro::cli {

std::string formatDosDateTime(std::uint16_t date, std::uint16_t time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (date >> 9), (date >> 5) & 0x0F,
                  date & 0x1F, time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2);
    return text;
}

std::string formatDosAttributes(std::uint32_t attributes) {
    std::string letters;
    if (attributes & 0x10) letters += 'D';
    if (attributes & 0x01) letters += 'R';
    if (attributes & 0x02) letters += 'H';
    if (attributes & 0x04) letters += 'S';
    if (attributes & 0x20) letters += 'A';
    return letters.empty() ? "-" : letters;
}

}  // namespace tessaro::cli
