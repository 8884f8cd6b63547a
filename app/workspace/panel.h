// The panel's boxes and choosers as values: the fee declaration path, its header values,
// the upload and declaration categories and the daily sequence number.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaro::workspace {

inline constexpr std::array<std::string_view, 3> kUploadTypeItems = {"1.當期送審", "2.事後抽審", "3.補件"};
// The third item's caption ends with a blank; documents take only an item's first character.
inline constexpr std::array<std::string_view, 4> kInsuTypeItems = {"1:送核", "2:補報", "4:申復送核 ", "5:申復補報"};

inline constexpr int kTodayNoMin = 1;
inline constexpr int kTodayNoMax = 999;

struct Panel {
    std::string CXMLfile;       // "費用申報XML檔": the fee declaration's path, editable by the user
    std::string ChospitalCode;  // "醫事機構代碼", read-only
    std::string CINSUyyymm;     // "費用年月", read-only
    std::string CINSUupdate;    // "申報日期", read-only
    std::size_t CuploadType = 0;  // selected item of kUploadTypeItems
    std::size_t CINSUtype = 0;    // selected item of kInsuTypeItems
    int CtodayNo = kTodayNoMin;   // daily sequence number of the next package
};

// The sequence number box's value when it loses the input focus: text that is no whole
// number reads as the minimum; values outside 1 to 999 are pulled to the nearer limit.
int todayNoFromText(std::string_view text);

}  // namespace tessaro::workspace
