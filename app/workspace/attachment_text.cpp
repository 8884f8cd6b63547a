#include "app/workspace/attachment_text.h"

#include <algorithm>
#include <cstddef>

namespace tessaro::workspace {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kTagLength = 5;  // "<DCF>", "<ATT>", "<EMR>"

std::string tagOf(std::string_view kind) { return "<" + std::string(kind) + ">"; }

// Bytes of the UTF-8 character that begins `text`: class letters are counted as characters.
std::size_t firstCharLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size());
}

// True when an entry begins at `pos`: "(" + a class letter A to D + ")". Only these letters
// are ever written, so "(1)" in "scan (1).pdf" stays part of its path.
bool isEntryMarker(std::string_view group, std::size_t pos) {
    return pos + 3 <= group.size() && group[pos] == '(' && group[pos + 1] >= 'A' && group[pos + 1] <= 'D' &&
           group[pos + 2] == ')';
}

std::size_t nextEntryMarker(std::string_view group, std::size_t from) {
    for (std::size_t pos = group.find('(', from); pos != npos; pos = group.find('(', pos + 1))
        if (isEntryMarker(group, pos)) return pos;
    return group.size();
}

// The text before a group's first marker: an entry when it opens with a class of any letter,
// "(x)" or "x)" (hand-written forms; no path can stand before them); otherwise nothing.
void appendLeadingEntry(std::string_view kind, std::string_view text, std::vector<AttachmentEntry>& entries) {
    if (!text.empty() && text.front() == '(') text.remove_prefix(1);
    const std::size_t letter = firstCharLength(text);
    if (letter == 0 || text.size() <= letter || text[letter] != ')') return;
    entries.push_back({std::string(kind), charToContent(text.substr(0, letter)), std::string(text.substr(letter + 1))});
}

// The entries of one group's text: each marker begins an entry whose path runs to the next
// marker or the group's end.
void appendGroupEntries(std::string_view kind, std::string_view group, std::vector<AttachmentEntry>& entries) {
    std::size_t marker = nextEntryMarker(group, 0);
    appendLeadingEntry(kind, group.substr(0, marker), entries);
    while (marker < group.size()) {
        const std::size_t path = marker + 3;
        const std::size_t next = nextEntryMarker(group, path);
        entries.push_back({std::string(kind), charToContent(group.substr(marker + 1, 1)),
                           std::string(group.substr(path, next - path))});
        marker = next;
    }
}

}  // namespace

std::string charToContent(std::string_view character) {
    static constexpr std::string_view letters = "ABCD";
    const std::size_t index = character.size() == 1 ? letters.find(character[0]) : npos;
    return std::string(kContentClassLabels[index == npos ? 0 : index]);
}

std::optional<std::string> fileFilterFor(std::string_view kind) {
    if (kind == "DCF") return "DICOM檔(DICOMDIR)|DICOMDIR.*";
    if (kind == "ATT") return "附加檔|*.*";
    if (kind == "EMR") return "電子病歷檔|*.xml";
    return std::nullopt;
}

std::vector<AttachmentEntry> parseAttachmentText(std::string_view text) {
    // Only the first occurrence of each tag counts. A group ends at the nearest first tag of
    // another kind that lies after its own; a repeated tag of its own kind stays inside it.
    std::array<std::size_t, kAttachmentKinds.size()> first{};
    for (std::size_t k = 0; k < kAttachmentKinds.size(); ++k) first[k] = text.find(tagOf(kAttachmentKinds[k]));

    std::vector<AttachmentEntry> entries;
    for (std::size_t k = 0; k < kAttachmentKinds.size(); ++k) {
        if (first[k] == npos) continue;
        std::size_t end = text.size();
        for (std::size_t other = 0; other < kAttachmentKinds.size(); ++other)
            if (first[other] != npos && first[other] > first[k]) end = std::min(end, first[other]);
        const std::size_t begin = first[k] + kTagLength;
        appendGroupEntries(kAttachmentKinds[k], text.substr(begin, end - begin), entries);
    }
    return entries;
}

bool holdsAttachmentMarker(std::string_view path) {
    return nextEntryMarker(path, 0) < path.size() ||
           std::any_of(kAttachmentKinds.begin(), kAttachmentKinds.end(),
                       [&](std::string_view kind) { return path.find(tagOf(kind)) != npos; });
}

std::string buildAttachmentText(const std::vector<AttachmentEntry>& entries) {
    std::array<std::string, kAttachmentKinds.size()> groups;
    for (const AttachmentEntry& entry : entries) {
        if (entry.file.empty()) continue;
        const auto kind = std::find(kAttachmentKinds.begin(), kAttachmentKinds.end(), entry.kind);
        if (kind == kAttachmentKinds.end()) continue;
        const std::string_view letter = std::string_view(entry.contentClass).substr(0, firstCharLength(entry.contentClass));
        groups[static_cast<std::size_t>(kind - kAttachmentKinds.begin())] += "(" + std::string(letter) + ")" + entry.file;
    }
    std::string out;
    for (std::size_t k = 0; k < kAttachmentKinds.size(); ++k)
        if (!groups[k].empty()) out += tagOf(kAttachmentKinds[k]) + groups[k];
    return out;
}

}  // namespace tessaro::workspace
