// File dialog filters: from the window's "description|pattern|…" form to Qt's name filters.
//
// The window defines its filters as pairs of a description and a pattern list joined by '|',
// patterns separated by ';' ("設定表或健保署抽審檔(txt;csv;zip)|*.txt;*.csv;*.zip"). Qt wants
// one string per pair, "description (pattern pattern)". Where file names are case-sensitive,
// each letter of a pattern becomes a class of both cases, so "*.XML" still offers "fee.xml" as
// the dialogs of a case-insensitive file system do, and "NAME.*" also offers a NAME without
// extension, as such a pattern does there.
#pragma once

#include <QStringList>

#include <string_view>

namespace tessaro::window {

// `caseSensitiveNames`: whether the file system tells letter cases apart (POSIX).
QStringList qtNameFilters(std::string_view filter, bool caseSensitiveNames);

}  // namespace tessaro::window
