// Fuzz target: the field helpers every line format is read with: SetDelimitedText, Trim,
// StrToIntDef and the ANSI byte view.
//
// Byte 0 picks the delimiter and bytes 1-2 a byte position; the rest is a line of text
// (decoded from code page 950 first, as lines always are). Fields never hold the delimiter
// outside quotes' reach, trimmed fields start and end with no blank, and a byte field of a
// line is never longer than the line's own bytes would decode to.
#include "feeinput/text_fields.h"
#include "fuzz/fuzz_support.h"
#include "platform/code_page.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    static constexpr char kDelimiters[] = {',', '(', ';', '\t'};
    const char delimiter = kDelimiters[data[0] % 4];
    const size_t position = static_cast<size_t>(data[1]) + 1;
    const size_t count = data[2] % 64;
    const std::string line = platform::decodeCodePage(fuzz::asText(data + 3, size - 3));

    fuzz::expectingErrors([&] {
        size_t total = 0;
        for (const std::string& field : feeinput::SetDelimitedText(line, delimiter)) {
            total += field.size();
            const std::string trimmed = feeinput::Trim(field);
            FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > ' ' &&
                                           static_cast<unsigned char>(trimmed.back()) > ' '));
            (void)feeinput::StrToIntDef(trimmed, -1);
        }
        FUZZ_CHECK(total <= line.size());
        const std::string field = feeinput::ansiByteField(line, position, count);
        FUZZ_CHECK(field.size() <= 3 * count);
    });
    return 0;
}
