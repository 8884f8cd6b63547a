// tessaro-cli list: the entries of a ZIP archive or a cabinet, one per line.
#include "archives/cab/cabinet_reader.h"
#include "archives/io/decode_error.h"
#include "archives/zip/entry_attributes.h"
#include "archives/zip/zip_extractor.h"
#include "cli/commands/commands.h"
#include "cli/listing_format.h"
#include "platform/path_text.h"

#include <fstream>
#include <string>

namespace tessaro::cli {
namespace {

bool isCabinet(const std::filesystem::path& path) {
    char signature[4] = {};
    std::ifstream(path, std::ios::binary).read(signature, sizeof signature);
    return std::string_view(signature, 4) == "MSCF";
}

std::string zipMethodName(std::uint16_t method) {
    switch (method) {
        case 0: return "Stored";
        case 1: return "Shrunk";
        case 2: case 3: case 4: case 5: return "Reduced" + std::to_string(method - 1);
        case 6: return "Imploded";
        case 8: return "Deflated";
        case 9: return "Deflate64";
        case 12: return "BZip2";
        case 14: return "LZMA";
        case 97: return "WavPack";
        case 98: return "PPMd";
        default: return "Method" + std::to_string(method);
    }
}

void listZip(const std::filesystem::path& path, CommandContext& context) {
    archives::TZipExtractor extractor(&context.port);
    extractor.setFileName(std::filesystem::absolute(path));
    for (const archives::ZipEntry& e : extractor.entries()) {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08X", e.crc);
        context.out << e.name << '\t' << zipMethodName(e.method) << '\t' << e.compressedSize << '\t'
                    << e.uncompressedSize << '\t' << crc << '\t' << formatDosDateTime(e.dosDate, e.dosTime) << '\t'
                    << formatDosAttributes(archives::zip::dosAttributesOf(e)) << '\n';
    }
    extractor.CloseArchive();
}

// A folder's compression type as cabinet tools name it; a type no cabinet format defines is
// shown with its number.
std::string cabinetMethodName(std::uint16_t compressionType) {
    switch (const unsigned type = compressionType & archives::cab::kCompressTypeMask) {
    case archives::cab::kCompressNone: return "None";
    case archives::cab::kCompressMszip: return "MSZIP";
    case archives::cab::kCompressQuantum: return "Quantum";
    case archives::cab::kCompressLzx: return "LZX";
    default: return "Unknown (" + std::to_string(type) + ")";
    }
}

void listCabinet(const std::filesystem::path& path, CommandContext& context) {
    archives::cab::CabinetReader reader(path);
    for (const archives::cab::CabEntry& e : reader.entries()) {
        // A file that continues from or into a neighbour cabinet lies in the first or last folder.
        const auto& folders = reader.folders();
        const size_t index = e.folderIndex < folders.size()                              ? e.folderIndex
                             : e.folderIndex == archives::cab::kFolderContinuedToNext ? folders.size() - 1
                                                                                        : 0;
        if (folders.empty()) throw archives::DecodeError("the cabinet has no folder for its files");
        const std::string method = cabinetMethodName(folders[index].compressionType);
        // A cabinet compresses whole folders, so an entry has no compressed size and no CRC.
        context.out << e.name << '\t' << method << "\t-\t" << e.size << "\t\t" << formatDosDateTime(e.dosDate, e.dosTime)
                    << '\t' << formatDosAttributes(e.attributes) << '\n';
    }
}

}  // namespace

int runList(CommandContext& context) {
    const std::vector<std::string> args = context.args.positionals(1, 1);
    const std::filesystem::path path = platform::pathFromUtf8(args[0]);
    if (std::filesystem::is_regular_file(path) && isCabinet(path))
        listCabinet(path, context);
    else
        listZip(path, context);
    return kSuccess;
}

}  // namespace tessaro::cli
