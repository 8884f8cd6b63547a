// Whose case an existing upload package answers.
//
// A package's name carries the hospital, the day and the day's sequence number, but not the
// case: a second session of the same day, started again at sequence number 1, forms the same
// names for other cases. Before a run replaces a package it reads the head of that package's
// feereview document, the lines up to the ID number (c10): the claim (upload and declaration
// categories, hospital, fee month, declaration date) and the case (category, serial, ID
// number). Only a package whose head is byte for byte the one the run would write answers
// the same case; so no patient's package ever takes the place of another's, nor of another
// claim's package of the same numbers.
//
// The document's bytes are compared, not parsed (values are written unescaped, so a
// well-formedness check would refuse our own documents), but everything around it is read
// strictly: exactly one document entry, unencrypted, of a sensible size and with a matching
// CRC. A package that cannot be read that far cannot tell whose it is, and the caller treats
// it as another case's.
#pragma once

#include "production/feereview_document.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessaro::production {

// A case as its document names it: the document's bytes up to and including the line of c10.
struct DocumentCase {
    std::string head;
    bool operator==(const DocumentCase&) const = default;
};

// The case a document begun with `header` and `claimCase` names.
DocumentCase documentCaseOf(const ClaimHeader& header, const ClaimCase& claimCase);

// The case the package at `package` answers; nothing when it cannot be told.
std::optional<DocumentCase> packagedCase(const std::filesystem::path& package) noexcept;

}  // namespace tessaro::production
