// ZIP method 14: LZMA data after the ZIP LZMA header, decoded by liblzma's raw LZMA1 decoder.
//
// Layout: LZMA SDK version (2 bytes, ignored), length of the properties (2 bytes, little
// endian, 5 for LZMA), the properties (lc/lp/pb byte and 32-bit dictionary size), then the
// raw LZMA1 data. Flag bit 1 of the entry says an end marker follows the data; we do not rely
// on it: liblzma's LZMA1EXT filter is told the uncompressed size and accepts an end marker
// right after it, so both kinds decode and anything else is corrupt data.
//
// Memory: liblzma allocates the whole dictionary the header asks for. No match can reach
// further back than the entry's size, so the dictionary is cut to that size: a corrupt or
// hostile header cannot make a small entry allocate gigabytes.
#include "archives/codecs/lzma_decoder.h"

#include "archives/codecs/coded_input.h"

#include <lzma.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "LZMA";
constexpr size_t kPropertiesSize = 5;

// Owns a liblzma stream.
class LzmaStream {
public:
    LzmaStream() = default;
    ~LzmaStream() { lzma_end(&stream_); }
    LzmaStream(const LzmaStream&) = delete;
    LzmaStream& operator=(const LzmaStream&) = delete;

    lzma_stream* operator->() { return &stream_; }
    lzma_stream* get() { return &stream_; }

private:
    lzma_stream stream_ = LZMA_STREAM_INIT;
};

struct FreeOptions {
    void operator()(void* options) const { std::free(options); }
};

std::string_view causeOf(lzma_ret status) {
    switch (status) {
        case LZMA_MEM_ERROR: return "out of memory";
        case LZMA_OPTIONS_ERROR: return "unsupported properties";
        case LZMA_DATA_ERROR: return "corrupt data";
        case LZMA_BUF_ERROR: return "data ends early";
        default: return "decoder failure";
    }
}

// Reads the ZIP LZMA header and sets up the raw decoder for `size` bytes of output.
void startDecoder(CodedInput& input, std::uint64_t size, LzmaStream& stream) {
    input.byte("header, version");
    input.byte("header, version");
    const unsigned propertiesSize = input.byte("header, properties size") | (input.byte("header, properties size") << 8);
    if (propertiesSize != kPropertiesSize) input.fail("unsupported properties size", "header");
    std::array<std::uint8_t, kPropertiesSize> properties{};
    for (auto& b : properties) b = input.byte("header, properties");

    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, properties.data(), properties.size()) != LZMA_OK)
        input.fail("invalid properties", "header");
    const std::unique_ptr<lzma_options_lzma, FreeOptions> options(static_cast<lzma_options_lzma*>(filters[0].options));
    const std::uint64_t enough = std::max<std::uint64_t>(size, LZMA_DICT_SIZE_MIN);
    if (options->dict_size > enough) options->dict_size = static_cast<std::uint32_t>(enough);
    options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
    options->ext_size_low = static_cast<std::uint32_t>(size);
    options->ext_size_high = static_cast<std::uint32_t>(size >> 32);
    const lzma_ret status = lzma_raw_decoder(stream.get(), filters);
    if (status != LZMA_OK) input.fail(causeOf(status), "start of data");
}

}  // namespace

void decodeLzma(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    CodedInput input(compressed, coding.compressedSize, kMethod);
    LzmaStream stream;
    startDecoder(input, coding.uncompressedSize, stream);

    std::array<std::uint8_t, 64 * 1024> buffer{};
    std::uint64_t left = coding.uncompressedSize;
    bool ended = false;
    while (!ended) {
        const auto piece = input.available();
        stream->next_in = piece.data();
        stream->avail_in = piece.size();
        stream->next_out = buffer.data();
        stream->avail_out = buffer.size();

        const lzma_ret status = lzma_code(stream.get(), piece.empty() ? LZMA_FINISH : LZMA_RUN);
        input.consume(piece.size() - stream->avail_in);
        if (status != LZMA_OK && status != LZMA_STREAM_END) input.fail(causeOf(status), "data");
        ended = status == LZMA_STREAM_END;

        // liblzma stops at the size it was given, so this never cuts real output.
        const size_t produced = buffer.size() - stream->avail_out;
        const size_t taken = static_cast<size_t>(std::min<std::uint64_t>(produced, left));
        if (taken > 0) out.write(std::span<const std::uint8_t>(buffer).first(taken));
        left -= taken;
        if (piece.empty() && produced == 0 && !ended) input.endsEarly("data");
    }
    if (left > 0) input.fail("data ends before the entry's size", "end of data");
}

}  // namespace tessaro::archives
