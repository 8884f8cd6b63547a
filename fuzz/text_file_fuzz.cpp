// Fuzz target: turning a text file's bytes into lines, as every table, sampling file and
// declaration is read.
//
// The input is the file. Its encoding is taken from the byte-order mark and the text decoded
// (a UTF-8 file that is not valid UTF-8 gives the no-mapping error), then split into lines.
// The decoded text must be valid UTF-8, no line may hold a line break, and the text must
// encode back to code page 950, as saving a table does.
#include "feeinput/text_decoding.h"
#include "feeinput/text_file.h"
#include "fuzz/fuzz_support.h"
#include "platform/code_page.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::expectingErrors([&] {
        const std::string text = feeinput::decodeText(fuzz::asText(data, size));
        FUZZ_CHECK(feeinput::isValidUtf8(text));
        for (const std::string& line : feeinput::splitLines(text)) {
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            const std::string bytes = platform::encodeCodePage(line);
            FUZZ_CHECK(bytes.size() <= 2 * line.size());
        }
    });
    return 0;
}
