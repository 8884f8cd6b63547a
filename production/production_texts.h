// The fixed texts of the production run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// `number` with a comma between groups of three digits.
inline std::string groupedDigits(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}
// A record file that would carry the cabinet of its kind (`folder`: ATT, EMR, DCF) past
// `limit` bytes, the most one cabinet can hold.
inline std::string tooLargeForCabinet(std::size_t n, std::string_view path, std::string_view folder, std::uint64_t limit) {
    return caseText(n, "筆病歷檔案:" + std::string(path) + "超過CAB壓縮檔可容納的大小(" + std::string(folder) + "類檔案合計最多" +
                           groupedDigits(limit) + "位元組)，無法製作");
}
// A record file that changed while it was copied or before its package was finished.
inline std::string changedWhileRead(std::size_t n, std::string_view path) {
    return caseText(n, "筆病歷檔案:" + std::string(path) + "在讀取時被修改，請關閉正在寫入它的程式後再製作");
}

// A package of the day under the name a case would take holds another case (or cannot be
// read to tell whose it is). `nothingWritten`: the run found it before writing anything.
inline std::string packageOfAnotherCase(std::string_view package, std::optional<std::uint32_t> freeSequence,
                                       bool nothingWritten) {
    const std::string advice = freeSequence ? "當日序號從" + std::to_string(*freeSequence) + "起的檔名都可使用，請改用這個序號再製作。"
                                            : std::string("當日序號1到999都會用到其他案件的檔名，請先把已上傳的抽審檔移到別的資料夾再製作。");
    return "上傳檔案" + std::string(package) + "屬於另一個案件(或讀不出屬於哪個案件)，不能覆蓋，製作已停止" +
           (nothingWritten ? "，沒有寫入任何檔案" : "") + "。\r\n" + advice;
}

// The program folder's working folders are in use by another run (a second window or
// command), or its lock file cannot be made: the run or import did nothing.
inline std::string folderInUse(std::string_view appPath) {
    return "程式資料夾" + std::string(appPath) + "正由另一個製作或匯入使用中，本次沒有執行，也沒有變更任何檔案。請等它完成後再試。";
}
inline std::string folderNotLocked(std::string_view lockFile, std::string_view reason) {
    return "無法建立鎖定檔" + std::string(lockFile) + "，原因：" + std::string(reason) +
           "。無法確定沒有其他製作或匯入同時使用程式資料夾，本次沒有執行。";
}

// A working folder still holds `file` after it was emptied and made again.
inline std::string folderNotEmptied(std::string_view folder, std::string_view file) {
    return "工作資料夾" + std::string(folder) + "無法清空，仍有檔案" + std::string(file) + "，製作已停止。請關閉使用它的程式後再製作。";
}

// The second line of an error raised while case n was handled: the case, the file the error
// is about and, where known, the reason.
inline std::string caseContext(std::size_t n, std::string_view category, std::string_view serial, std::string_view file,
                               std::string_view reason) {
    std::string line = caseText(n, "筆(案件分類 " + std::string(category) + "，流水號 " + std::string(serial) + ")");
    if (!file.empty()) line += "：" + std::string(file);
    if (!reason.empty()) line += "，原因：" + std::string(reason);
    return line;
}

// After a run: the check of the packages it made, and its record.
inline std::string checking(std::string_view package) { return "檢查 " + std::string(package); }
inline std::string recording(std::string_view package) { return "紀錄 " + std::string(package); }
inline constexpr std::string_view kProblemsFound = "檢查發現下列問題，這些抽審檔沒有標記「已製」，請勿上傳:";
inline std::string recordWritten(std::string_view record) { return "製作紀錄:" + std::string(record); }
inline std::string recordNotWritten(std::string_view reason) { return "製作紀錄無法寫入:" + std::string(reason); }

inline std::string finished(std::string_view outputFolder) {
    return "製作完成:\r\n檔案放在" + std::string(outputFolder) + "\r\n請自行到VPN上傳";
}

}  // namespace tessaro::production::texts
