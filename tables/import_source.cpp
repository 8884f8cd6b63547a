#include "tables/import_source.h"

#include "archives/folder_listing.h"
#include "archives/name_matching.h"

namespace tessaro::tables {
namespace {

constexpr std::string_view kSamplingPattern = "*SMP.*";

bool hasExtension(std::string_view path, std::string_view extension) {
    return archives::asciiUpper(fileExtension(path)) == archives::asciiUpper(extension);
}

bool pathSaysSampling(std::string_view path) { return archives::asciiUpper(path).find("SMP") != std::string::npos; }

}  // namespace

std::string fileExtension(std::string_view path) {
    const std::size_t nameBegin = path.find_last_of("/\\");
    const std::string_view name = nameBegin == std::string_view::npos ? path : path.substr(nameBegin + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

ImportSource importSourceOf(std::string_view fullPath) {
    if (hasExtension(fullPath, ".zip")) return ImportSource::archive;
    if (hasExtension(fullPath, ".csv"))
        return pathSaysSampling(fullPath) ? ImportSource::samplingCsv : ImportSource::notSampling;
    if (hasExtension(fullPath, ".txt") && pathSaysSampling(fullPath)) return ImportSource::samplingFixed;
    return ImportSource::settingTable;
}

std::optional<LineFormat> samplingFormatOf(std::string_view name) {
    if (hasExtension(name, ".csv")) return LineFormat::samplingCsv;
    if (hasExtension(name, ".txt")) return LineFormat::samplingFixed;
    return std::nullopt;
}

std::optional<std::filesystem::path> findSamplingFile(const std::filesystem::path& folder,
                                                      const std::set<std::string>* unpacked) {
    for (const archives::ListedEntry& entry : archives::listFolderInNameOrder(folder)) {
        if (entry.isDirectory || !archives::wildcardMatch(kSamplingPattern, entry.name)) continue;
        if (!unpacked || unpacked->contains(entry.name)) return entry.path;
    }
    return std::nullopt;
}

}  // namespace tessaro::tables
