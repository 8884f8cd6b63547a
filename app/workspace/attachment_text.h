// The attachment text: the one line in which a case carries its record
// files, in the case row, in setting tables and on to production.
//
// It is a sequence of groups "<DCF>", "<ATT>", "<EMR>", each followed by entries
// "(" + class letter + ")" + path, as in
//   <DCF>(B)D:\chart001\DICOMDIR<ATT>(A)D:\chart1.pdf(B)D:\chart2.pdf<EMR>(A)d:\chart3.XML
// Reading is forgiving in fixed ways (see parseAttachmentText); writing always gives the
// groups in the order DCF, ATT, EMR. Paths are written raw, so a path is carried whole
// unless it holds a marker itself ("(A)" to "(D)", "<DCF>", "<ATT>", "<EMR>"); the window
// refuses such a file when it is chosen.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro::workspace {

inline constexpr std::array<std::string_view, 3> kAttachmentKinds = {"DCF", "ATT", "EMR"};
inline constexpr std::array<std::string_view, 4> kContentClassLabels = {"A:病歷本文", "B:影像報告", "C:非影像報告",
                                                                        "D:其他書類"};

// One attachment: kind, content class label and path.
struct AttachmentEntry {
    std::string kind;
    std::string contentClass;
    std::string file;
    bool operator==(const AttachmentEntry&) const = default;
};

// The class label of a class letter (one UTF-8 character); anything but "A" to "D", lower
// case included, gives "A:病歷本文".
std::string charToContent(std::string_view character);

// The file dialog filter for a kind; nothing for a text that is no kind.
std::optional<std::string> fileFilterFor(std::string_view kind);

// The entries of an attachment text: those of the DCF group first, then ATT, then EMR.
// A group runs from the first tag of its kind to the nearest first tag of another kind after
// it. In a group, an entry begins at "(" + a class letter A to D + ")" and its path runs to
// the next such marker or the group's end, "(", ")", "<", ">", "," and the rest included.
// Text before a group's first marker is an entry only when it opens with "(x)" or "x)" for
// any letter x, which gives class A unless x is A to D.
std::vector<AttachmentEntry> parseAttachmentText(std::string_view text);

// True when `path` holds an entry marker "(A)" to "(D)" or a group tag: written into an
// attachment text, it could not be told apart from the entries and groups after it.
bool holdsAttachmentMarker(std::string_view path);

// The attachment text of `entries` in their order within each kind; entries without a path
// are left out, and so is every group without entries.
std::string buildAttachmentText(const std::vector<AttachmentEntry>& entries);

}  // namespace tessaro::workspace
