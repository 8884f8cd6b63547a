// "製作電子抽審檔": the production run over the case list, driven from the window's state.
#include "app/workspace/attachment_text.h"
#include "app/workspace/workspace.h"
#include "platform/path_text.h"
#include "production/working_folders_lock.h"

#include <utility>

namespace tessaro::workspace {
namespace {

// The first character of a chooser's item ("1.當期送審" gives "1").
template <typename Items>
std::string itemCode(const Items& items, std::size_t selected) {
    return selected < std::size(items) ? std::string(items[selected].substr(0, 1)) : std::string();
}

}  // namespace

// The case list as the run reads and marks it.
class Workspace::RunRows final : public production::RunCases {
public:
    explicit RunRows(Workspace& ws) : ws_(ws) {}

    std::size_t count() const override { return ws_.cases_.size(); }

    production::CaseFacts facts(std::size_t index) const override {
        const CaseRow& row = ws_.cases_[index];
        return {ws_.caseCategory(index), ws_.caseSerialText(index), row.cells[kAttachmentCell], row.cells[kIdCell]};
    }

    // Read from the case's attachment text, as the attachment list would show it; the list
    // itself keeps showing the case the user chose, so a file added there after the run goes
    // into that case.
    std::vector<production::AttachmentFacts> attachments(std::size_t index) const override {
        std::vector<production::AttachmentFacts> facts;
        for (const AttachmentEntry& entry : parseAttachmentText(ws_.cases_[index].cells[kAttachmentCell]))
            facts.push_back({entry.kind, entry.contentClass.empty() ? ' ' : entry.contentClass.front(), entry.file});
        return facts;
    }

    void packageMade(std::size_t index, const std::filesystem::path& package) override {
        ws_.cases_[index].cells[kNoteCell] = "已製";
        if (ws_.onPackageWritten_) ws_.onPackageWritten_(package);
    }

private:
    Workspace& ws_;
};

production::RunResult Workspace::CmakeAuditClick() {
    // Held from the run's first step to its last: no other run may use the working folders.
    const auto lock = production::lockWorkingFolders(platform::pathFromUtf8(values_.appPath), port_);
    if (!lock) return {};

    production::RunSettings settings;
    settings.appPath = values_.appPath;
    settings.headerSource = values_.importfileMode == ImportFileMode::titxt ? production::HeaderSource::declarationFile
                                                                            : production::HeaderSource::headerBoxes;
    settings.declarationPath = panel_.CXMLfile;
    settings.hospitalCodeBox = panel_.ChospitalCode;
    settings.feeYearMonthBox = panel_.CINSUyyymm;
    settings.declarationDateBox = panel_.CINSUupdate;
    settings.uploadType = itemCode(kUploadTypeItems, panel_.CuploadType);
    settings.declarationType = itemCode(kInsuTypeItems, panel_.CINSUtype);
    settings.firstSequence = panel_.CtodayNo;
    settings.clock = clock_;
    settings.recordCopy = recordCopy_;

    RunRows rows(*this);
    const production::RunResult result = production::runProduction(settings, rows, {values_.INSUyyymm, values_.INSUupdate}, port_);
    // A run stopped by a name of the day that holds another case's package: the sequence box
    // proposes the first number from which the whole run is free.
    if (result.freeSequence) panel_.CtodayNo = static_cast<int>(*result.freeSequence);
    return result;
}

void Workspace::setRunRecordCopy(std::filesystem::path file) { recordCopy_ = std::move(file); }

void Workspace::setClock(std::function<production::DateTime()> clock) { clock_ = std::move(clock); }

void Workspace::setOnPackageWritten(std::function<void(const std::filesystem::path&)> listener) {
    onPackageWritten_ = std::move(listener);
}

}  // namespace tessaro::workspace
