// The fixed texts the workspace shows or hands to a dialog.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::workspace {

inline constexpr std::string_view kNoDeclarationText = "必須先指定費用申報檔";
inline constexpr std::string_view kNoCaseSelectedText = "必須先選擇案件";
inline constexpr std::string_view kDeclarationFilter = "費用申報檔(*.XML)|*.XML";

// The message of a case that the fee declaration does not hold (or holds incompletely).
inline std::string caseNotFoundText(std::string_view category, std::string_view serialText) {
    return "案件分類" + std::string(category) + "或流水號" + std::string(serialText) + "找不到";
}

// A chosen file whose path could not be carried whole: one holding an entry marker or a
// group tag, and one a setting table would cut (a line break, an undecodable name, a blank
// at its end; none of which Windows allows).
inline std::string refusedFileText(std::string_view path, std::string_view rule) {
    return "無法使用檔案:" + std::string(path) + "\r\n病歷檔案的路徑" + std::string(rule) + ",請更改名稱後再選";
}
inline std::string pathHoldsMarkerText(std::string_view path) {
    return refusedFileText(path, "不可含有(A)、(B)、(C)、(D)、<DCF>、<ATT>或<EMR>");
}
inline std::string pathNotOneLineText(std::string_view path) {
    return refusedFileText(path, "不可含有換行或無法辨識的字元,也不可以空白結尾");
}

}  // namespace tessaro::workspace
