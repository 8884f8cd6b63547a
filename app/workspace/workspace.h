// Everything the main window holds, as data, and every handler of its events.
//
// The window owns widgets only: it draws the rows of the two lists, lays the in-place
// editors over the rows it draws, forwards each widget event to the handler here and then
// refreshes. An editor is bound to its row's id, never to a row number, so it keeps acting
// on its own row while rows above it come and go. Dialogs and messages go through the user
// port. File errors propagate as tessaro::Error; front ends run handlers inside runHandler
// (handler_boundary.h), which shows them with the standard error report.
//
// How the view meets the records of the rows:
//   - when it draws a row, it calls caseRowDrawn / attachmentRowDrawn, which create the
//     row's record the first time (and give the id to bind the editors to);
//   - a user's change in an editor's widget is stored with chooseCategory, typeSerial,
//     chooseKind or chooseContentClass, and then the event's handler runs (D1Change,
//     sTypeChange, sContentChange); storing a value alone never starts a handler;
//   - after each handler it hides the editors of takeReleased() for good and moves the
//     editors of the rows it draws to their rows' current positions.
#pragma once

#include "app/workspace/attachment_rows.h"
#include "app/workspace/case_rows.h"
#include "app/workspace/panel.h"
#include "app/workspace/program_values.h"
#include "platform/user_port.h"
#include "production/production_run.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro::workspace {

enum class ImportOutcome {
    cancelled,  // the dialog was cancelled: nothing changed
    completed,  // every line was taken or reported, and "匯入完成" shown
    stopped,    // a message stopped the import (the case list may hold rows added so far)
};

// The full path of a file a dialog gave (as given when it cannot be made absolute).
std::string fullPath(const std::filesystem::path& file);

class Workspace {
public:
    // Creates the window's state for a program living in `appPath` (FormCreate).
    Workspace(UserPort& port, std::string appPath);

    // ---- State --------------------------------------------------------------------------
    ProgramValues& values() { return values_; }
    const ProgramValues& values() const { return values_; }
    Panel& panel() { return panel_; }
    const Panel& panel() const { return panel_; }
    CaseList& cases() { return cases_; }
    const CaseList& cases() const { return cases_; }
    AttachmentList& attachments() { return attachments_; }
    const AttachmentList& attachments() const { return attachments_; }

    // ---- Start-up and shutdown ----------------------------------------------------------
    void FormCreate(std::string appPath);
    void FormDestroy();

    // ---- Case list ----------------------------------------------------------------------
    void CaddClick();
    void CdelClick();
    void CauditListClick();
    void D1Change(CaseRowId sender);
    // Enter (13) looks the case up; every key is given back unchanged for the editor.
    char16_t SNnoKeyPress(CaseRowId sender, char16_t key);
    // Empties the case list, and the attachment list with it.
    void clearAuditlist();

    // A case's category and serial text: its editors' values, or for a row that has no
    // record yet, its caption and serial cell (the values its editors would start with).
    std::string caseCategory(std::size_t index) const;
    std::string caseSerialText(std::size_t index) const;
    // The case a lookup of the row would look for.
    CaseKey caseKey(std::size_t index) const;

    // The view draws a case row: creates its record the first time, with the category that
    // equals the caption (letter case ignored) selected and an empty serial. The import
    // calls it at once for each row it adds. Gives the row's id.
    CaseRowId caseRowDrawn(std::size_t index);
    // Values the user (or the import) puts into a case row's editors; no lookup starts.
    void chooseCategory(CaseRowId editor, std::optional<std::size_t> item);
    void typeSerial(CaseRowId editor, std::string text);

    // ---- Fee declaration ----------------------------------------------------------------
    void CopenXMLfileClick();
    void ReadItem(std::size_t xIndex);

    // ---- Attachment list ----------------------------------------------------------------
    // Fills the attachment list from `text`. `source` is the case row the list belongs to:
    // a rebuilt attachment text goes into that row and no other (none: nowhere).
    void showAttList(const std::string& text, std::optional<CaseRowId> source = std::nullopt);
    void setAttToAudit();
    // The class label of a class letter (attachment_text.h).
    static std::string charToContent(std::string_view character);
    void clearAttlist();
    void CattAddClick();
    void CattDelClick();
    void sTypeChange(AttachmentRowId sender);
    void sContentChange(AttachmentRowId sender);
    void getAttfile(AttachmentRowId sender);

    // The view draws an attachment row: creates its record the first time, with kind and
    // class taken from the cells (letter case ignored). Gives the row's id.
    AttachmentRowId attachmentRowDrawn(std::size_t index);
    void chooseKind(AttachmentRowId editor, std::optional<std::size_t> item);
    void chooseContentClass(AttachmentRowId editor, std::optional<std::size_t> item);

    // ---- Production --------------------------------------------------------------------
    // "製作電子抽審檔": one upload package per case that passes its checks.
    production::RunResult CmakeAuditClick();
    // A file each later run writes its record to as well (the command line's --record).
    void setRunRecordCopy(std::filesystem::path file);
    // The clock a run takes today's date from for its names (tests freeze it).
    void setClock(std::function<production::DateTime()> clock);
    // Called with each package's full path as soon as it is written.
    void setOnPackageWritten(std::function<void(const std::filesystem::path&)> listener);

    // ---- Setting tables and import ------------------------------------------------------
    // Saves the case list as a setting table (setting_table_handlers.cpp).
    void CsaveSettingClick();
    // Replaces the case list with the cases of a setting table or sampling file, plain or
    // in a .zip (import_handlers.cpp). Tells whether it reached "匯入完成".
    ImportOutcome CimportFileClick();

private:
    class RunRows;

    void dropAttachmentsOfGoneCase();
    void forgetRecordFiles(std::size_t index);
    CaseRecord* caseRecord(CaseRowId id);
    AttachmentRow* attachmentRow(AttachmentRowId id);

    UserPort& port_;
    ProgramValues values_;
    Panel panel_;
    CaseList cases_;
    AttachmentList attachments_;
    std::optional<CaseRowId> attachmentSource_;  // the case row the attachment list shows
    std::function<production::DateTime()> clock_ = production::now;
    std::function<void(const std::filesystem::path&)> onPackageWritten_;
    std::filesystem::path recordCopy_;
};

}  // namespace tessaro::workspace
