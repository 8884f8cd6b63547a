// tessaro-cli make: what a user does in the window, from the declaration to the packages.
#include "app/workspace/handler_boundary.h"
#include "cli/batch_session.h"
#include "cli/commands/commands.h"
#include "feeinput/text_fields.h"
#include "feeinput/text_file.h"
#include "platform/path_text.h"
#include "platform/terminal.h"
#include "tables/setting_table.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace tessaro::cli {
namespace {

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The item of a chooser whose first character is `code`.
template <typename Items>
std::size_t itemFor(const Items& items, const std::string& code, const char* option) {
    for (std::size_t i = 0; i < std::size(items); ++i)
        if (code.size() == 1 && items[i].front() == code.front()) return i;
    throw UsageError{std::string("--") + option + " " + code + " is none of the choices"};
}

int sequenceFrom(const std::string& text) {
    const std::int32_t value = feeinput::StrToIntDef(text, 0);
    if (value < workspace::kTodayNoMin || value > workspace::kTodayNoMax || feeinput::Trim(text) != text)
        throw UsageError{"--seq " + text + " is not a number from 1 to 999"};
    return value;
}

// Gives each imported case the attachment text of the setting-table line with the same
// category (letter case ignored, as the case list's editors match codes) and serial number.
// Table lines no imported case takes are named on standard error.
void giveAttachments(workspace::Workspace& ws, const std::string& table, CommandContext& context) {
    const feeinput::LineList lines = feeinput::LoadFromFile(platform::pathFromUtf8(table));
    std::map<std::pair<std::string, std::int32_t>, std::pair<std::size_t, std::string>> byCase;
    for (std::size_t n = 0; n < lines.size(); ++n)
        if (const auto line = tables::readSettingTableLine(lines[n]); line && line->serial != 0)
            byCase.emplace(std::pair{upper(line->category), line->serial}, std::pair{n + 1, line->attachments});

    std::vector<bool> used(lines.size() + 1, false);
    for (std::size_t i = 0; i < ws.cases().size(); ++i) {
        const auto key = std::pair{upper(ws.caseCategory(i)), feeinput::StrToIntDef(feeinput::Trim(ws.caseSerialText(i)), 0)};
        const auto found = byCase.find(key);
        if (found == byCase.end()) continue;
        ws.cases()[i].cells[workspace::kAttachmentCell] = found->second.second;
        used[found->second.first] = true;
    }
    for (const auto& [key, line] : byCase)
        if (!used[line.first])
            context.err << table << ": line " << line.first << " (" << key.first << "," << key.second
                        << ") matches no imported case\n";
}

}  // namespace

int runMake(CommandContext& context) {
    BatchSession session(context);
    const std::optional<std::string> importFile = context.args.takeOption("import");
    const std::optional<std::string> attachments = context.args.takeOption("attachments");
    const std::optional<std::string> uploadType = context.args.takeOption("upload-type");
    const std::optional<std::string> declarationType = context.args.takeOption("declaration-type");
    const std::optional<std::string> sequence = context.args.takeOption("seq");
    const std::optional<std::string> record = context.args.takeOption("record");
    context.args.positionals(0, 0);
    if (!importFile) throw UsageError{"--import FILE is required"};

    workspace::Workspace& ws = session.workspace();
    workspace::Panel& panel = ws.panel();
    panel.CuploadType = itemFor(workspace::kUploadTypeItems, uploadType.value_or("1"), "upload-type");
    const int firstSequence = sequence ? sequenceFrom(*sequence) : workspace::kTodayNoMin;
    if (declarationType) itemFor(workspace::kInsuTypeItems, *declarationType, "declaration-type");

    context.port.setProgressLine(platform::standardErrorIsTerminal());
    if (!session.openAndImport(*importFile)) return kFailure;
    if (attachments && !workspace::runHandler(context.port, [&] { giveAttachments(ws, *attachments, context); }))
        return kFailure;
    // The declaration category defaults to what the import chose.
    if (declarationType) panel.CINSUtype = itemFor(workspace::kInsuTypeItems, *declarationType, "declaration-type");
    panel.CtodayNo = firstSequence;

    if (record) ws.setRunRecordCopy(platform::pathFromUtf8(*record));
    ws.setOnPackageWritten([&](const std::filesystem::path& package) { context.out << package.string() << std::endl; });
    production::RunResult result;
    const bool ran = workspace::runHandler(context.port, [&] { result = ws.CmakeAuditClick(); });
    const bool sound = result.outcome == production::RunOutcome::completed && result.packagesWithProblems == 0;
    return ran && sound ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
