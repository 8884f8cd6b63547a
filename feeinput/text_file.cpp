#include "feeinput/text_file.h"

#include "feeinput/text_decoding.h"
#include "platform/code_page.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/path_rules.h"
#include "platform/path_text.h"

namespace tessaro::feeinput {
namespace {

void checkPath(const std::string& path) {
    switch (platform::checkPathSyntax(path)) {
        case platform::PathSyntax::misplacedColon: throw Error("The path format is not supported");
        case platform::PathSyntax::empty: throw Error("Path is empty");
        case platform::PathSyntax::invalidCharacters: throw Error("Invalid characters in path");
        case platform::PathSyntax::ok: break;
    }
    const std::filesystem::path file = platform::pathFromUtf8(path);
    std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) throw Error("The specified path was not found");
    if (!std::filesystem::exists(file, ec)) throw Error("The specified file was not found");
}

// Every line followed by CR LF.
std::string joinedLines(const LineList& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::string readCheckedFileBytes(const std::string& path) {
    checkPath(path);
    return platform::readFileBytes(platform::pathFromUtf8(path));
}

platform::FileBytes loadCheckedFile(const std::string& path) {
    checkPath(path);
    return platform::FileBytes::load(platform::pathFromUtf8(path));
}

std::string ReadAllText(const std::string& path) { return decodeText(readCheckedFileBytes(path)); }

LineList LoadFromFile(const std::filesystem::path& path) { return splitLines(decodeText(platform::readFileBytes(path))); }

LineList splitLines(std::string_view text) {
    LineList lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(pos));
            break;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end;
        if (text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

void SaveToFile(const LineList& lines, const std::filesystem::path& path) {
    platform::writeFileBytes(path, platform::encodeCodePage(joinedLines(lines), platform::kAnsiCodePage));
}

void SaveToFileLossless(const LineList& lines, const std::filesystem::path& path) {
    const std::string text = joinedLines(lines);
    platform::writeFileBytes(path, platform::representableInCodePage(text, platform::kAnsiCodePage)
                                       ? platform::encodeCodePage(text, platform::kAnsiCodePage)
                                       : std::string(kUtf8Mark) + text);
}

}  // namespace tessaro::feeinput
