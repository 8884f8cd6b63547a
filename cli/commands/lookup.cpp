// tessaro-cli lookup: one case of a fee declaration, found by the rule of the case list.
#include "app/workspace/workspace_texts.h"
#include "cli/commands/commands.h"
#include "feeinput/case_lookup.h"
#include "feeinput/text_fields.h"

namespace tessaro::cli {

int runLookup(CommandContext& context) {
    const std::optional<std::string> declaration = context.args.takeOption("fee-xml");
    if (!declaration) throw UsageError{"--fee-xml FILE is required"};
    const std::vector<std::string> args = context.args.positionals(2, 2);

    // As in the case list: the category is trimmed, the serial is converted as typed, and a
    // blank category or serial looks nothing up.
    const std::string category = feeinput::Trim(args[0]);
    const std::string& serialText = args[1];
    if (category.empty() || feeinput::Trim(serialText).empty())
        throw UsageError{"CATEGORY and SERIAL must not be blank"};

    const auto text = feeinput::DeclarationText::readFile(*declaration);
    const feeinput::CaseLookup found = feeinput::lookupCase(text, category, feeinput::StrToIntDef(serialText, 0));
    if (!found.found()) {
        context.port.showMessage(workspace::caseNotFoundText(category, serialText));
        return kFailure;
    }
    context.out << *found.name << '\t' << *found.idNumber << '\t' << *found.visitDate << '\n';
    return kSuccess;
}

}  // namespace tessaro::cli
