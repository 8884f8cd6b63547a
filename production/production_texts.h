// The fixed texts of the production run.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro::production::texts {

inline constexpr std::string_view kNoDeclaration = "沒有指定費用申報檔";
inline constexpr std::string_view kDeclarationMissing = "找不到指定的費用申報檔";
inline constexpr std::string_view kDeclarationContent = "指定的費用申報檔內容不正確";
inline constexpr std::string_view kBadFeeYearMonth = "費用年月不正確";
inline constexpr std::string_view kBadDeclarationDate = "申報日期不正確";
inline constexpr std::string_view kBadHospitalCode = "醫事機構代碼不正確";

// Messages about case n (1-based) of the list.
inline std::string caseText(std::size_t n, std::string_view text) { return "第" + std::to_string(n) + std::string(text); }
inline std::string blankAttachments(std::size_t n) { return caseText(n, "筆病歷檔案資料空白"); }
inline std::string badSerial(std::size_t n) { return caseText(n, "筆病歷流水號錯誤"); }
inline std::string missingFile(std::size_t n, std::string_view path) {
    return caseText(n, "筆病歷檔案:" + std::string(path) + "不存在");
}
inline std::string notXml(std::size_t n, std::string_view path) {
    return caseText(n, "筆病歷檔案:" + std::string(path) + "必須是XML檔");
}
inline std::string noRecordFiles(std::size_t n) { return caseText(n, "筆病歷檔案資料錯誤"); }

inline std::string finished(std::string_view outputFolder) {
    return "製作完成:\r\n檔案放在" + std::string(outputFolder) + "\r\n請自行到VPN上傳";
}

}  // namespace tessaro::production::texts
