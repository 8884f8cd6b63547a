#include "production/run_record.h"

#include "platform/error.h"
#include "platform/file_io.h"
#include "platform/path_text.h"
#include "platform/temp_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>

namespace tessaro::production {
namespace {

namespace fs = std::filesystem;

// A CSV field: quoted when it holds a comma, a quote or a line break (quotes doubled).
std::string field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string fateText(const CaseEntry& entry) {
    switch (entry.fate) {
        case CaseFate::made: return entry.problems.empty() ? "已製作" : "已製作，檢查發現問題";
        case CaseFate::passedOver: return "略過";
        case CaseFate::stoppedRun: return "停止製作";
        case CaseFate::notReached: return "未處理(製作已先停止)";
    }
    return {};
}

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

std::string caseLine(std::size_t n, const CaseEntry& entry) {
    const bool made = entry.fate == CaseFate::made;
    const std::string message = made ? joinedLines(entry.problems) : entry.message;
    std::vector<std::string> fields = {std::to_string(n), entry.category, entry.serial,
                                       made ? platform::utf8FromPath(entry.package.filename()) : std::string(), fateText(entry), message,
                                       made ? std::to_string(entry.packageSize) : std::string(), entry.packageSha256};
    for (const PackedFile& file : entry.files) {
        fields.push_back(file.source);
        fields.push_back(std::to_string(file.size));
        fields.push_back(file.sha256);
    }
    std::string line;
    for (const std::string& value : fields) line += (line.empty() ? "" : ",") + field(value);
    return line + "\r\n";
}

}  // namespace

std::string runRecordText(const RunJournal& journal) {
    std::size_t mostFiles = 0;
    for (const CaseEntry& entry : journal) mostFiles = std::max(mostFiles, entry.files.size());
    std::string text = "\xEF\xBB\xBF第幾筆,案件分類,流水號,抽審檔,結果,訊息,抽審檔大小,抽審檔SHA-256";
    for (std::size_t i = 1; i <= mostFiles; ++i) {
        const std::string k = std::to_string(i);
        text += ",病歷檔案" + k + ",病歷檔案" + k + "大小,病歷檔案" + k + "SHA-256";
    }
    text += "\r\n";
    for (std::size_t i = 0; i < journal.size(); ++i) text += caseLine(i + 1, journal[i]);
    return text;
}

fs::path runRecordPath(const fs::path& folder, const platform::CivilDate& day, int secondOfDay) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "%04d%02d%02d-%02d%02d%02d", day.year, day.month, day.day, secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60);
    std::error_code ec;
    fs::path path = folder / (std::string(stem) + ".csv");
    for (int k = 2; fs::exists(fs::symlink_status(path, ec)); ++k) path = folder / (std::string(stem) + "-" + std::to_string(k) + ".csv");
    return path;
}

void writeRunRecord(const fs::path& path, const std::string& text) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    auto temp = platform::TempFile::create(path.parent_path(), ".~rec");
    if (!temp) throw Error(platform::cannotCreateText(path, std::strerror(errno)));
    std::string reason;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!temp->write(bytes)) throw Error(platform::cannotCreateText(path, std::strerror(errno)));
    if (!temp->replace(path, reason)) throw Error(platform::cannotCreateText(path, reason));
}

}  // namespace tessaro::production
