// The names of everything a production run writes: the copies of the record files in the
// working folders, the cabinets, the feereview document and the ZIP package.
//
// Copies are named after the case (category and serial) and the day's sequence number, so
// the insurer can tell them apart inside a cabinet:
//   DCF\ + category + serial(3) + seq3                      DCF\04123001
//   ATT\ + "11" + class + category + serial(6) + seq3 + "." + EXT   ATT\11B04000123001.PDF
//   EMR\ likewise                                           EMR\11B04000123001.XML
// serial(k) is the serial text, trimmed, with zeros put in front and cut to its last k
// characters (a longer serial loses its leading digits); seq3 is the sequence number with
// at least three digits.
//
// Output files carry the hospital code, a date and the sequence number:
//   DATA\ + kind + hospital + "_" + YYYYMMDD + seq8 + ".CAB"    cabinets
//   Upload\<fee month>\XML + hospital + "_" + YYYYMMDD + seq8 + ".XML"    the document
//   Upload\<fee month>\ + hospital + "_" + ROC date + "_" + seq3 + ".zip"  the package
#pragma once

#include "platform/calendar.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro::production {

// The row's serial text, trimmed, zero-filled and cut to its last `digits` characters.
std::string serialDigits(std::string_view serialText, std::size_t digits);

// `number` with at least `digits` digits, zero-padded ("%.3u", "%.8u").
std::string zeroPadded(std::uint32_t number, int digits);

// The extension of the last component of `path` without its dot, ASCII upper-cased; empty
// when the name has no dot. A name that starts with its only dot ("x\.pdf") has one.
std::string upperExtension(std::string_view path);

// Copy names (file names only; the caller puts them into their working folder).
std::string dicomCopyName(std::string_view category, std::string_view serialText, std::uint32_t sequence);
// The stem of an ATT or EMR copy, ending with ".": "11" + class + category + serial(6) + seq3 + ".".
std::string recordCopyStem(char contentClass, std::string_view category, std::string_view serialText,
                           std::uint32_t sequence);

// Names of the output files of one case, formed once from one date.
struct PackageNames {
    std::string attCabinet;  // file names below DATA
    std::string emrCabinet;
    std::string dcfCabinet;
    std::string document;  // file names below the output folder
    std::string package;

    // The cabinet name for "ATT", "EMR" or "DCF".
    const std::string& cabinetFor(std::string_view kind) const;
};

PackageNames packageNames(std::string_view hospitalCode, const platform::CivilDate& today, std::uint32_t sequence);

}  // namespace tessaro::production
