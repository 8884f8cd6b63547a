// A workspace on a temporary program folder, with a recording user port and helpers to
// write fee declarations and set up case rows.
#pragma once

#include "app/workspace/workspace.h"
#include "platform/code_page.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro::workspace {

struct DeclaredCase {
    std::string category, serial, id, date, name;
};

// A Big5 fee declaration with a header and one block per case.
inline std::string declarationText(const std::vector<DeclaredCase>& cases, const std::string& header =
                                       "<tdata><t2>3501200000</t2><t3>11305</t3><t6>1130610</t6></tdata>") {
    std::string text = "<?xml version=\"1.0\" encoding=\"Big5\"?><outpatient>" + header;
    for (const DeclaredCase& c : cases)
        text += "<ddata><dhead><d1>" + c.category + "</d1><d2>" + c.serial + "</d2></dhead><dbody><d3>" + c.id +
                "</d3><d9>" + c.date + "</d9><d49>" + c.name + "</d49></dbody></ddata>\r\n";
    return text + "</outpatient>";
}

class WorkspaceTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    testing::RecordingPort port;
    Workspace ws{port, dir.path().string()};

    std::string writeDeclaration(const std::string& name, const std::vector<DeclaredCase>& cases) {
        return dir.write(name, platform::encodeCodePage(declarationText(cases))).string();
    }

    // Appends a case row as an import does: caption and serial cell, record created at once
    // with the category matched and the serial text set.
    CaseRowId addCase(const std::string& category, const std::string& serial) {
        CaseRow row;
        row.caption = category;
        row.cells[kSerialCell] = serial;
        ws.cases().append(std::move(row));
        const CaseRowId id = ws.caseRowDrawn(ws.cases().size() - 1);
        ws.typeSerial(id, serial);
        return id;
    }

    const CaseRow& row(std::size_t index) const { return ws.cases()[index]; }
    std::size_t indexOf(CaseRowId id) const { return ws.cases().indexOf(id).value(); }
};

}  // namespace tessaro::workspace
