// Checking an upload package as the insurer's side will read it, before it is sent.
//
// The package is unpacked into a scratch folder with the program's own extractor (every
// entry's CRC checked) and its cabinets read with every data block's checksum verified. Then:
//   - the entries are the cabinets (ATT, EMR, DCF, in that order, each at most once) followed
//     by the document, all under bare names;
//   - the names follow the naming rules, and the hospital code, the date and the sequence
//     number agree across the package's name, its cabinets and its document;
//   - the document is Big5, well-formed XML of the feereview structure, its values in their
//     formats, its hospital code that of the names;
//   - its file entries and the files in the cabinets match one to one, each copy named after
//     the case (category and serial) and the package's sequence number.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessaro::production {

// Every problem found, one sentence each; empty when the package is sound. Throws
// tessaro::Error only when no scratch folder can be made.
std::vector<std::string> checkPackage(const std::filesystem::path& package);

}  // namespace tessaro::production
