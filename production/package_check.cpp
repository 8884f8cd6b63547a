#include "production/package_check.h"

#include "archives/cab/cabinet_reader.h"
#include "archives/zip/zip_extractor.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/path_text.h"
#include "platform/scratch_folder.h"
#include "production/feereview_reader.h"
#include "production/package_names.h"
#include "production/roc_dates.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kCabinetKinds = {"ATT", "EMR", "DCF"};

std::string inQuotes(std::string_view text) { return "'" + std::string(text) + "'"; }

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::uint64_t digitsValue(std::string_view text) {
    std::uint64_t value = 0;
    for (const char c : text) value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value;
}

// Windows drops trailing dots and blanks from file names (the copies are named that way).
std::string windowsName(std::string name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    return name;
}

// ---- Names -------------------------------------------------------------------------------

// What a name tells: hospital code, Gregorian date (YYYYMMDD) and sequence number.
struct NameFacts {
    std::string hospital;
    std::string date;
    std::uint64_t sequence = 0;
    bool operator==(const NameFacts&) const = default;
};

// "<hospital>_<ROC date>_<seq3>.zip"
std::optional<NameFacts> packageNameFacts(const std::string& name) {
    if (name.size() < 5 || (name.substr(name.size() - 4) != ".zip" && name.substr(name.size() - 4) != ".ZIP"))
        return std::nullopt;
    const std::string stem = name.substr(0, name.size() - 4);
    const std::size_t last = stem.rfind('_');
    if (last == std::string::npos || last == 0) return std::nullopt;
    const std::size_t middle = stem.rfind('_', last - 1);
    if (middle == std::string::npos || middle == 0) return std::nullopt;
    const std::string roc = stem.substr(middle + 1, last - middle - 1);
    const std::string sequence = stem.substr(last + 1);
    if (roc.size() != 7 || !allDigits(roc) || sequence.size() < 3 || !allDigits(sequence) || sequence.size() > 9)
        return std::nullopt;
    const int year = static_cast<int>(digitsValue(roc.substr(0, 3))) + 1911;
    const int month = static_cast<int>(digitsValue(roc.substr(3, 2)));
    const int day = static_cast<int>(digitsValue(roc.substr(5, 2)));
    if (!isValidCivilDate(year, month, day)) return std::nullopt;
    return NameFacts{stem.substr(0, middle), DateTimeToStr8(dateTimeOf({year, month, day})), digitsValue(sequence)};
}

// "<prefix><hospital>_<YYYYMMDD><seq8><suffix>", as cabinets and the document are named.
std::optional<NameFacts> datedNameFacts(const std::string& name, std::string_view prefix, std::string_view suffix) {
    if (!name.starts_with(prefix) || !name.ends_with(suffix) || name.size() < prefix.size() + suffix.size()) return std::nullopt;
    const std::string body = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t underscore = body.rfind('_');
    if (underscore == std::string::npos || underscore == 0) return std::nullopt;
    const std::string digits = body.substr(underscore + 1);
    if (digits.size() < 16 || digits.size() > 17 || !allDigits(digits)) return std::nullopt;
    const std::string date = digits.substr(0, 8);
    if (!isValidCivilDate(static_cast<int>(digitsValue(date.substr(0, 4))), static_cast<int>(digitsValue(date.substr(4, 2))),
                          static_cast<int>(digitsValue(date.substr(6, 2)))))
        return std::nullopt;
    return NameFacts{body.substr(0, underscore), date, digitsValue(digits.substr(8))};
}

// ---- The package's entries ---------------------------------------------------------------

struct Layout {
    std::map<std::string, std::string> cabinets;  // kind -> entry name
    std::optional<std::string> document;
};

// Sorts the entries into cabinets and the document and reports what breaks the layout.
Layout entryLayout(const std::vector<archives::ZipEntry>& entries, const std::optional<NameFacts>& package,
                   std::vector<std::string>& problems) {
    Layout layout;
    int lastKind = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        const std::string entry = "the entry " + inQuotes(name);
        if (name.find_first_of("/\\") != std::string::npos) {
            problems.push_back(entry + " has a folder part; entries are stored under bare names");
            continue;
        }
        if (layout.document) problems.push_back(entry + " follows the document, which must be the last entry");
        std::optional<NameFacts> facts;
        if (name.starts_with("XML")) {
            facts = datedNameFacts(name, "XML", ".XML");
            if (layout.document) problems.push_back("the package holds more than one document");
            layout.document = name;
        } else {
            const auto kind = std::find_if(kCabinetKinds.begin(), kCabinetKinds.end(),
                                           [&](std::string_view k) { return name.starts_with(k); });
            if (kind == kCabinetKinds.end()) {
                problems.push_back(entry + " is neither a cabinet (ATT, EMR, DCF) nor the document (XML)");
                continue;
            }
            facts = datedNameFacts(name, *kind, ".CAB");
            const int index = static_cast<int>(kind - kCabinetKinds.begin());
            if (index == lastKind) problems.push_back("the package holds more than one " + std::string(*kind) + " cabinet");
            else if (index < lastKind) problems.push_back(entry + " is out of order: cabinets stand in the order ATT, EMR, DCF");
            lastKind = std::max(lastKind, index);
            layout.cabinets.emplace(std::string(*kind), name);
        }
        if (!facts) {
            problems.push_back(entry + " is not named by the naming rules");
        } else if (package && !(*facts == *package)) {
            problems.push_back(entry + " does not agree with the package's name on hospital code, date and sequence number");
        }
    }
    if (!layout.document) problems.push_back("the package holds no document");
    if (layout.cabinets.empty()) problems.push_back("the package holds no cabinet");
    return layout;
}

// ---- Cabinets ----------------------------------------------------------------------------

class CountingSink final : public archives::ByteSink {
public:
    void write(std::span<const std::uint8_t>) override {}
};

// The names of the files in a cabinet, after reading all their data (which verifies every
// block's checksum); nothing when the cabinet cannot be read.
std::optional<std::vector<std::string>> cabinetFiles(const fs::path& cabinet, const std::string& entry,
                                                     std::vector<std::string>& problems) {
    try {
        archives::cab::CabinetReader reader(cabinet);
        CountingSink sink;
        reader.extractAll([&](const archives::cab::CabEntry&) { return &sink; });
        std::vector<std::string> names;
        for (const auto& file : reader.entries()) names.push_back(file.name);
        return names;
    } catch (const Error& error) {
        problems.push_back("the cabinet " + inQuotes(entry) + " cannot be read: " + error.what());
        return std::nullopt;
    }
}

// ---- The document against the cabinets ---------------------------------------------------

// The file names the document lists for `kind`, as they are stored.
std::vector<std::string> listedFiles(const FeeReviewContent& document, std::string_view kind) {
    std::vector<std::string> names;
    for (const FeeReviewFile& file : document.files)
        if (file.f3 == kind) names.push_back(windowsName(file.f1));
    return names;
}

void compareFiles(std::string_view kind, std::vector<std::string> listed, std::vector<std::string> held,
                  std::vector<std::string>& problems) {
    std::sort(listed.begin(), listed.end());
    std::sort(held.begin(), held.end());
    std::vector<std::string> missing, unlisted;
    std::set_difference(listed.begin(), listed.end(), held.begin(), held.end(), std::back_inserter(missing));
    std::set_difference(held.begin(), held.end(), listed.begin(), listed.end(), std::back_inserter(unlisted));
    for (const std::string& name : missing)
        problems.push_back("the document names " + inQuotes(name) + " (" + std::string(kind) + "), which no " +
                           std::string(kind) + " cabinet holds");
    for (const std::string& name : unlisted)
        problems.push_back("the " + std::string(kind) + " cabinet holds " + inQuotes(name) + ", which the document does not list");
}

// Copies are named after the case and the package's sequence number.
void checkCopyNames(const FeeReviewContent& document, const std::map<std::string, std::vector<std::string>>& held,
                    std::uint64_t sequence, std::vector<std::string>& problems) {
    const std::string seq = zeroPadded(static_cast<std::uint32_t>(sequence), 3);
    const std::string dicom = document.c7 + serialDigits(document.c8, 3) + seq;
    const std::string record = document.c7 + serialDigits(document.c8, 6) + seq;
    for (const auto& [kind, names] : held) {
        for (const std::string& name : names) {
            const bool ok = kind == "DCF" ? name == dicom
                                          : name.size() >= 3 + record.size() && name.starts_with("11") &&
                                                std::string_view("ABCD").find(name[2]) != std::string_view::npos &&
                                                name.substr(3, record.size()) == record &&
                                                (name.size() == 3 + record.size() || name[3 + record.size()] == '.');
            if (!ok)
                problems.push_back("the " + kind + " file " + inQuotes(name) +
                                   " is not named after the document's case and the package's sequence number");
        }
    }
}

void checkDocumentAgainstCabinets(const FeeReviewContent& document, const std::map<std::string, std::vector<std::string>>& held,
                                  const std::optional<NameFacts>& package, std::vector<std::string>& problems) {
    if (package && document.c2 != package->hospital)
        problems.push_back("the document's hospital code " + inQuotes(document.c2) + " is not the package's " +
                           inQuotes(package->hospital));
    for (const std::string_view kind : {"ATT", "EMR"}) {
        const auto found = held.find(std::string(kind));
        compareFiles(kind, listedFiles(document, kind), found == held.end() ? std::vector<std::string>{} : found->second,
                     problems);
    }
    // A DICOM set is listed as DICOMDIR; its copy in the cabinet carries the case's name.
    const std::size_t dicomListed = listedFiles(document, "DCF").size();
    const auto dicom = held.find("DCF");
    const std::size_t dicomHeld = dicom == held.end() ? 0 : dicom->second.size();
    if (dicomListed != dicomHeld)
        problems.push_back("the document lists " + std::to_string(dicomListed) + " DICOM file(s), the DCF cabinet holds " +
                           std::to_string(dicomHeld));
    if (package) checkCopyNames(document, held, package->sequence, problems);
}

}  // namespace

std::vector<std::string> checkPackage(const fs::path& package) {
    std::vector<std::string> problems;
    const std::optional<NameFacts> packageFacts = packageNameFacts(package.filename().string());
    if (!packageFacts) problems.push_back("the package's name is not <hospital code>_<ROC date>_<sequence>.zip");

    platform::ScratchFolder scratch;
    archives::TZipExtractor extractor;
    try {
        extractor.setFileName(fs::absolute(package));
    } catch (const Error& error) {
        problems.push_back(std::string("the package cannot be read as a ZIP archive: ") + error.what());
        return problems;
    }
    const Layout layout = entryLayout(extractor.entries(), packageFacts, problems);
    std::vector<std::string> failed;
    extractor.setOnItemFailure([&](const archives::ItemFailure& failure) {
        problems.push_back("the entry " + inQuotes(failure.entryName) + " cannot be extracted: " + failure.text);
        failed.push_back(failure.entryName);
    });
    try {
        extractor.setBaseDirectory(scratch.path());
        extractor.ExtractFiles("*.*");
    } catch (const Error& error) {
        // An error that ends the whole extraction (a name with characters no file name can
        // hold, a cancelled disk prompt) is one more problem of this package.
        problems.push_back(std::string("the package cannot be extracted: ") + error.what());
        return problems;
    }
    extractor.CloseArchive();
    const auto extracted = [&](const std::string& name) { return std::find(failed.begin(), failed.end(), name) == failed.end(); };

    std::map<std::string, std::vector<std::string>> held;
    bool cabinetsRead = true;
    for (const auto& [kind, name] : layout.cabinets) {
        if (!extracted(name)) {
            // Its files are unknown: comparing the document with the cabinets would only
            // repeat this problem for every file the document names.
            cabinetsRead = false;
            continue;
        }
        auto files = cabinetFiles(scratch.path() / platform::pathFromUtf8(name), name, problems);
        if (files) held[kind] = std::move(*files);
        else cabinetsRead = false;
    }

    if (!layout.document || !extracted(*layout.document)) return problems;
    std::string bytes;
    try {
        bytes = platform::readFileBytes(scratch.path() / platform::pathFromUtf8(*layout.document));
    } catch (const Error& error) {
        problems.push_back(std::string("the document cannot be read: ") + error.what());
        return problems;
    }
    std::vector<std::string> documentProblems;
    const auto document = readFeeReview(bytes, documentProblems);
    if (document) checkFeeReviewValues(*document, documentProblems);
    for (const std::string& problem : documentProblems) problems.push_back("document: " + problem);
    if (document && cabinetsRead) checkDocumentAgainstCabinets(*document, held, packageFacts, problems);
    return problems;
}

}  // namespace tessaro::production
