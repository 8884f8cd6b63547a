// Fuzz target: the attachment text of a case ("<DCF>(B)D:\x\DICOMDIR<ATT>(A)D:\a.pdf").
//
// The input is the text, as a setting table or the case list's cell holds it. It is read
// into entries and written again; reading what was written gives the same entries (those
// with a path), so a case's files survive any number of saves and imports. That promise
// holds for every path the window accepts: one that holds an entry marker or a group tag
// is refused when it is chosen, so texts with such paths are only read.
#include "app/workspace/attachment_text.h"
#include "fuzz/fuzz_support.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    fuzz::expectingErrors([&] {
        const auto entries = workspace::parseAttachmentText(text);
        std::vector<workspace::AttachmentEntry> kept;
        for (const auto& entry : entries) {
            if (workspace::holdsAttachmentMarker(entry.file)) return;
            if (!entry.file.empty()) kept.push_back(entry);
        }
        const auto again = workspace::parseAttachmentText(workspace::buildAttachmentText(entries));
        FUZZ_CHECK(again == kept);
    });
    return 0;
}
