// Whose case an existing upload package answers.
//
// A package's name carries the hospital, the day and the day's sequence number, but not the
// case: a second session of the same day, started again at sequence number 1, forms the same
// names for other cases. Before a run replaces a package it reads the case that package's
// feereview document names (category c7 and serial c8), so that it never puts one patient's
// package in place of another's.
//
// The document is read leniently, by the literal tag search the program reads XML with
// (values are written unescaped, so a well-formedness check would refuse our own documents),
// but everything around it strictly: exactly one document entry, unencrypted, of a sensible
// size and with a matching CRC. A package that cannot be read that far cannot tell whose it
// is, and the caller treats it as another case's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tessaro::production {

// A case as its document names it: the bytes of c7 and c8, as they stand in the document.
struct DocumentCase {
    std::string category;
    std::string serial;
    bool operator==(const DocumentCase&) const = default;
};

// The case a document for `category` (UTF-8) and the serial value `serial` names.
DocumentCase documentCaseOf(const std::string& category, std::int32_t serial);

// The case the package at `package` answers; nothing when it cannot be told.
std::optional<DocumentCase> packagedCase(const std::filesystem::path& package) noexcept;

}  // namespace tessaro::production
