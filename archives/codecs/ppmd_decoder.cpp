// ZIP method 98: PPMd variant I revision 1, as the ZIP application note defines its use.
//
// The data starts with a 16-bit little-endian word: bits 0-3 the model order minus 1 (orders
// 2-16 are valid), bits 4-11 the model memory in MiB minus 1, bits 12-15 the restoration
// method (0 restart, 1 cut off; 2, "freeze", is not in use and not supported). Then comes the
// range-coded symbol stream; we decode exactly the entry's uncompressed size of symbols, and
// an end marker before that is a failure. The model takes the memory the header names (up to
// 256 MiB), allocated once per entry, or less for an entry too small to fill it.
#include "archives/codecs/ppmd_decoder.h"

#include "archives/codecs/coded_input.h"
#include "archives/codecs/history_output.h"
#include "archives/codecs/ppmd_model.h"

#include <algorithm>

namespace tessaro::archives {

namespace {
constexpr std::string_view kMethod = "PPMd";
}

void decodePpmd(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    HistoryOutput output(out, coding.uncompressedSize);
    if (output.done()) return;

    const unsigned header = input.byte("header") | (input.byte("header") << 8);
    const unsigned order = (header & 0x0F) + 1;
    const std::uint32_t memoryMiB = ((header >> 4) & 0xFF) + 1;
    const unsigned restoration = header >> 12;
    if (order < 2) input.fail("model order below 2", "header");
    if (restoration > 1) input.fail("unsupported restoration method", "header");

    // A small entry's model never fills the memory its header names: taking only what it
    // can fill decodes the same and spares allocating (and clearing) up to 256 MiB.
    const std::uint64_t memory =
        std::min<std::uint64_t>(memoryMiB << 20, ppmd::Model::sufficientMemory(order, coding.uncompressedSize));
    ppmd::Model model(order, static_cast<ppmd::Restoration>(restoration), static_cast<std::uint32_t>(memory));
    ppmd::RangeDecoder decoder(input);
    while (!output.done()) {
        const int symbol = model.decodeSymbol(decoder);
        if (symbol < 0) input.fail("end marker before the entry's size", "symbol data");
        output.put(static_cast<std::uint8_t>(symbol));
    }
    output.flush();
}

}  // namespace tessaro::archives
