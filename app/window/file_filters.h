// File dialog filters: from the window's "description|pattern|…" form to Qt's name filters.
//
// The window defines its filters as pairs of a description and a pattern list joined by '|',
// patterns separated by ';' ("設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip"). Qt wants
// one string per pair, "caption (pattern pattern)"; a dialog told to hide the filters' details
// shows the caption only. The caption is the description followed by the patterns as the
// window writes them ("電子病歷檔 (*.xml)"), or the description alone when it ends with them
// already ("費用申報檔(*.XML)"). The patterns behind it are the ones matched: where file names
// are case-sensitive each letter becomes a class of both cases, so "*.XML" still offers
// "fee.xml" as the dialogs of a case-insensitive file system do, and "NAME.*" also offers a
// NAME without extension, as such a pattern does there.
#pragma once

#include <QStringList>

#include <string_view>

namespace tessaro::window {

// For a dialog with QFileDialog::HideNameFilterDetails. `caseSensitiveNames`: whether the
// file system tells letter cases apart (POSIX).
QStringList qtNameFilters(std::string_view filter, bool caseSensitiveNames);

}  // namespace tessaro::window
