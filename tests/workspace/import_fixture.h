// A workspace that imports files: the chosen file is answered through the port, the handler
// runs inside the handler boundary (as the window runs it), and rows are compared as text.
#pragma once

#include "app/workspace/handler_boundary.h"
#include "tests/workspace/workspace_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace tessaro::workspace {

class ImportTest : public WorkspaceTest {
protected:
    // Chooses `file` in the import's dialog and runs the import; false when it raised an
    // error (reported through the port).
    bool importFile(const std::filesystem::path& file) {
        port.openAnswers.push_back(file);
        return runHandler(port, [&] { ws.CimportFileClick(); });
    }

    // A case row as one text: caption, category editor, serial editor, then the cells
    // "流水號", "姓名", "身份證", "就醫日期", "病歷檔案", "註記".
    std::string rowText(std::size_t index) const {
        const CaseRow& r = ws.cases()[index];
        std::string text = r.caption + "|";
        if (!r.record) return text + "(no editors)";
        text += ws.caseCategory(index) + "|" + ws.caseSerialText(index);
        for (const std::string& cell : r.cells) text += "|" + cell;
        return text;
    }
    std::vector<std::string> rowTexts() const {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < ws.cases().size(); ++i) texts.push_back(rowText(i));
        return texts;
    }

    std::filesystem::path dataFolder() const { return dir / "DATA"; }

    // Writes a ZIP archive with Python's zipfile: entries as (name, bytes), names kept
    // exactly as given ("../x" and "/x" included).
    std::filesystem::path writeZip(const std::string& name, const std::vector<std::pair<std::string, std::string>>& entries) {
        std::string command = "python3 -c \"import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED)\n"
                              "for i in range(2,len(sys.argv),2): z.writestr(sys.argv[i],open(sys.argv[i+1],'rb').read())\n"
                              "z.close()\" '" + (dir / name).string() + "'";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto content = dir.write("zip-input/" + std::to_string(i), entries[i].second);
            command += " '" + entries[i].first + "' '" + content.string() + "'";
        }
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::filesystem::remove_all(dir / "zip-input");
        return dir / name;
    }
};

}  // namespace tessaro::workspace
