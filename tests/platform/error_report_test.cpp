#include "platform/error_report.h"

#include "tests/support/recording_port.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(ErrorReportText, AppendsFullStopOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(errorReportText("Path is empty"), "Path is empty.");
    EXPECT_EQ(errorReportText("The specified file is too long."), "The specified file is too long.");
    EXPECT_EQ(errorReportText("ends with blank "), "ends with blank ");
    EXPECT_EQ(errorReportText("ends with dash -"), "ends with dash -");
    EXPECT_EQ(errorReportText("code 42"), "code 42.");  // '2' sorts after '.'
    EXPECT_EQ(errorReportText("檔案不存在"), "檔案不存在.");
    EXPECT_EQ(errorReportText(""), "");
    // A second line (which case and file) leaves the full stop with the system's text.
    EXPECT_EQ(errorReportText("Error opening source file\r\n第1筆：a.pdf"), "Error opening source file.\r\n第1筆：a.pdf");
    EXPECT_EQ(errorReportText("Disk full.\r\n第2筆"), "Disk full.\r\n第2筆");
}

TEST(ErrorReportText, ReportGoesThroughThePort) {
    testing::RecordingPort port;
    reportError(port, "Invalid characters in path");
    ASSERT_EQ(port.errors.size(), 1u);
    EXPECT_EQ(port.errors[0], "Invalid characters in path.");
}

}  // namespace
}  // namespace tessaro
