// The fixed texts of the window: its title, the captions of its controls and lists, the
// items of its choosers and the help text.
#pragma once

#include <array>
#include <string_view>

namespace tessaro::window {

// The program's title: the window's caption and the caption of every message box.
inline constexpr std::string_view kProgramTitle = "電子病歷抽審檔案製作";

inline constexpr std::array<std::string_view, 7> kCaseColumns = {"案件分類", "流水號", "姓名", "身份證",
                                                                 "就醫日期", "病歷檔案", "註記"};
inline constexpr std::array<int, 7> kCaseColumnWidths = {61, 61, 80, 96, 80, 200, 50};
inline constexpr std::array<std::string_view, 3> kAttachmentColumns = {"檔型", "檔案類別", "檔案"};
inline constexpr std::array<int, 3> kAttachmentColumnWidths = {50, 98, 240};

inline constexpr std::string_view kFileButtonCaption = "設定";

// The help text beside the production button: the setting table's line and the attachment
// text, one line each.
inline constexpr std::array<std::string_view, 12> kHelpLines = {
    "一筆一行,欄位用[,]逗號分開",
    "格式[案件分類],[流水號],[病歷檔案]",
    "[病歷檔案]可省略",
    "例如:",
    "04,123,<ATT>(A)D:\\chart1.pdf(B)D:\\chart2.pdf",
    "病歷檔案格式: <檔型>(檔案類別)檔案",
    "<DCF>(B)D:\\chart001\\DICOMDIR",
    "<ATT>(A)D:\\chart1.pdf(A)D:\\chart2.pdf",
    "<EMR>(A)d:\\chart3.XML",
    "DCF:DICOM影像檔",
    "ATT:其它健保可接受檔案",
    "EMR:電子病歷檔",
};

}  // namespace tessaro::window
