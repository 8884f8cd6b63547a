// The workspace a batch command drives, step by step as a user drives the window: the
// program folder, "指定檔案" with the file the command line names, "匯入抽審明細檔" likewise.
// Every handler runs inside the handler boundary, so an error is reported on standard error
// as "error: " + its text and ends the step.
#pragma once

#include "app/workspace/workspace.h"
#include "cli/command.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessaro::cli {

class BatchSession {
public:
    // Takes the options every batch command shares: --dir (the program folder; default the
    // current folder) and --fee-xml.
    explicit BatchSession(CommandContext& context);

    workspace::Workspace& workspace() { return workspace_; }

    // "指定檔案" (when --fee-xml was given), then "匯入抽審明細檔" with `file`. True when the
    // import reached "匯入完成".
    bool openAndImport(const std::string& file);

private:
    static std::filesystem::path programFolder(CommandContext& context);

    CommandContext& context_;
    std::optional<std::string> declaration_;
    workspace::Workspace workspace_;
};

}  // namespace tessaro::cli
