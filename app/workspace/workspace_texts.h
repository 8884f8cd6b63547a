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

}  // namespace tessaro::workspace
