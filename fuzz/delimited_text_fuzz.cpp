// Fuzz target: the field helpers every line format is read with: SetDelimitedText, Trim,
// StrToIntDef and the ANSI byte view.
//
// Byte 0 picks the delimiter and bytes 1-2 a byte position; the rest is a line of text
// (decoded from code page 950 first, as lines always are). Fields never hold the delimiter
// outside quotes' reach, trimmed fields start and end with no blank, fields written back
// with delimitedField and joined read again as the same fields, and a byte field of a line
// is never longer than the line's own bytes would decode to.
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
        const std::vector<std::string> fields = feeinput::SetDelimitedText(line, delimiter);
        std::string written;
        for (const std::string& field : fields) {
            if (&field != &fields.front()) written += delimiter;
            written += feeinput::delimitedField(field, delimiter);
            total += field.size();
            const std::string trimmed = feeinput::Trim(field);
            FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > ' ' &&
                                           static_cast<unsigned char>(trimmed.back()) > ' '));
            (void)feeinput::StrToIntDef(trimmed, -1);
        }
        FUZZ_CHECK(total <= line.size());
        // A line of one empty field is written as an empty line, which has no fields.
        if (fields != std::vector<std::string>{""}) FUZZ_CHECK(feeinput::SetDelimitedText(written, delimiter) == fields);
        const std::string field = feeinput::ansiByteField(line, position, count);
        FUZZ_CHECK(field.size() <= 3 * count);
    });
    return 0;
}
