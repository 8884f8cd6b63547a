// tessaro-cli import: the case list an import gives, as text.
#include "cli/batch_session.h"
#include "cli/commands/commands.h"

namespace tessaro::cli {

int runImport(CommandContext& context) {
    BatchSession session(context);
    const std::vector<std::string> args = context.args.positionals(1, 1);
    const bool completed = session.openAndImport(args[0]);

    workspace::Workspace& ws = session.workspace();
    for (std::size_t i = 0; i < ws.cases().size(); ++i) {
        const workspace::CaseRow& row = ws.cases()[i];
        context.out << ws.caseCategory(i) << '\t' << ws.caseSerialText(i) << '\t' << row.cells[workspace::kNameCell] << '\t'
                    << row.cells[workspace::kIdCell] << '\t' << row.cells[workspace::kVisitDateCell] << '\t'
                    << row.cells[workspace::kAttachmentCell] << '\n';
    }
    return completed ? kSuccess : kFailure;
}

}  // namespace tessaro::cli
