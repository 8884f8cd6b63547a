// The fixed texts of saving and importing case lists, as the user sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro::tables {

inline constexpr std::string_view kSettingTableFilter = "設定表(*.txt)|*.txt";
inline constexpr std::string_view kSettingTableExtension = "txt";
inline constexpr std::string_view kImportFilter = "設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip";

inline constexpr std::string_view kImportDoneText = "匯入完成";
inline constexpr std::string_view kNoDeclarationFileText = "費用申報XML檔不正確,必須先指定檔案";

// A .zip without a usable sampling file, and a .csv that is no sampling file.
inline std::string noSamplingFileInArchiveText(std::string_view archivePath) {
    return std::string(archivePath) + "裡沒有正確抽審檔";
}
inline std::string notASamplingFileText(std::string_view path) { return std::string(path) + "不是正確抽審檔"; }

// Messages about line `n` (1-based) of an imported file.
inline std::string lineText(std::size_t n, std::string_view rest) { return "第" + std::to_string(n) + std::string(rest); }
inline std::string badCategoryText(std::size_t n) { return lineText(n, "行案件分類錯誤"); }
inline std::string badSerialText(std::size_t n) { return lineText(n, "行案件流水號錯誤"); }
inline std::string declarationTypeConflictText(std::size_t n) {
    return lineText(n, "行案件申報類別與前列不同,請分開處理");
}
inline std::string caseMissingText(std::size_t n, std::string_view category, std::int32_t serial) {
    return lineText(n, "行的案件分類" + std::string(category) + "或流水號" + std::to_string(serial) + "找不到");
}

}  // namespace tessaro::tables
