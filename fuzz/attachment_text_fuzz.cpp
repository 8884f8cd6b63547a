// Fuzz target: the attachment text of a case ("<DCF>(B)D:\x\DICOMDIR<ATT>(A)D:\a.pdf").
//
// The input is the text, as a setting table or the case list's cell holds it. It is read
// into entries and written again; reading what was written gives the same entries (those
// with a path), so a case's files survive any number of saves and imports. That promise
// holds for paths the target desktops can hold: a path with "<" can hold a group tag, and
// one with a double quote is read as quoting, so texts with such paths are only read.
#include "app/workspace/attachment_text.h"
#include "feeinput/text_decoding.h"
#include "fuzz/fuzz_support.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    fuzz::expectingErrors([&] {
        const auto entries = workspace::parseAttachmentText(text);
        if (text.find('"') != std::string_view::npos || !feeinput::isValidUtf8(text)) return;
        std::vector<workspace::AttachmentEntry> kept;
        for (const auto& entry : entries) {
            if (entry.file.find('<') != std::string::npos) return;
            if (!entry.file.empty()) kept.push_back(entry);
        }
        const auto again = workspace::parseAttachmentText(workspace::buildAttachmentText(entries));
        FUZZ_CHECK(again == kept);
    });
    return 0;
}
