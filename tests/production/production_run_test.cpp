// The run over a case list of its own making, for what the window's lists cannot hold: an
// attachment row of a kind the package has no place for.
#include "production/production_run.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>

namespace tessaro::production {
namespace {

using ::testing::ElementsAre;

class OneCase : public RunCases {
public:
    std::vector<AttachmentFacts> files;
    std::size_t count() const override { return 1; }
    CaseFacts facts(std::size_t) const override { return {"04", "123", "<XYZ>(A)x", "A1"}; }
    std::vector<AttachmentFacts> attachments(std::size_t) const override { return files; }
    void packageMade(std::size_t, const std::filesystem::path&) override { ADD_FAILURE() << "no package expected"; }
};

TEST(ProductionRunTest, RowsOfAnotherKindAreCheckedButNeverCopied) {
    testing::TempDir dir;
    testing::RecordingPort port;
    RunSettings settings;
    settings.appPath = dir.path().string() + "/";
    settings.headerSource = HeaderSource::headerBoxes;
    settings.hospitalCodeBox = "0123456789";
    settings.feeYearMonthBox = "11309";
    settings.declarationDateBox = "1131015";
    std::string yyymm, update;

    OneCase cases;
    cases.files = {{"XYZ", 'A', dir.write("a.pdf", "x").string()}};
    EXPECT_EQ(runProduction(settings, cases, {yyymm, update}, port).outcome, RunOutcome::stopped);
    cases.files = {{"XYZ", 'A', (dir / "gone.pdf").string()}};
    EXPECT_EQ(runProduction(settings, cases, {yyymm, update}, port).outcome, RunOutcome::stopped);
    EXPECT_THAT(port.messages, ElementsAre("第1筆病歷檔案資料錯誤", "第1筆病歷檔案:" + (dir / "gone.pdf").string() + "不存在"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "ATT"));
}

}  // namespace
}  // namespace tessaro::production
