// ZIP method 97: a WavPack stream, decoded by libwavpack back into the original audio file.
//
// A WavPack entry holds the whole audio file: the file's own header and trailing chunks travel
// as "wrapper" data inside the WavPack blocks, the samples as WavPack audio. We rebuild the
// file byte for byte: the wrapper that precedes the audio, the samples in the file's own
// format (8-bit unsigned or signed, 16 to 32-bit little or big endian, or 32-bit float), then
// the wrapper that follows the audio, which libwavpack hands over once the last block has
// been read.
//
// libwavpack reads through a WavpackStreamReader64 over our ByteSource, limited to the
// entry's data. The callbacks are C: they must not throw, so a source failure is kept and
// thrown again once libwavpack has returned. Output is checked against the entry's size: a
// stream that would write more, or less, fails the entry.
#include "archives/codecs/wavpack_decoder.h"

#include "archives/codecs/coded_input.h"

#include <wavpack/wavpack.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

namespace tessaro::archives {

namespace {

constexpr std::string_view kMethod = "WavPack";

// The entry's data as libwavpack sees it: a seekable file of compressedSize bytes.
class EntryFile {
public:
    EntryFile(ByteSource& source, std::uint64_t size) : source_(source), base_(source.position()), size_(size) {}

    static WavpackStreamReader64 reader() {
        WavpackStreamReader64 r{};
        r.read_bytes = [](void* id, void* data, std::int32_t count) { return self(id).read(data, count); };
        r.get_pos = [](void* id) { return static_cast<std::int64_t>(self(id).pos_); };
        r.set_pos_abs = [](void* id, std::int64_t pos) { return self(id).seekTo(pos); };
        r.set_pos_rel = [](void* id, std::int64_t delta, int mode) { return self(id).seekBy(delta, mode); };
        r.push_back_byte = [](void* id, int c) { return self(id).pushBack(c); };
        r.get_length = [](void* id) { return static_cast<std::int64_t>(self(id).size_); };
        r.can_seek = [](void*) { return 1; };
        return r;
    }

    // Throws the source failure a callback kept, if any.
    void rethrow() const {
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    static EntryFile& self(void* id) { return *static_cast<EntryFile*>(id); }

    std::int32_t read(void* data, std::int32_t count) {
        if (count <= 0 || failure_) return 0;
        auto* bytes = static_cast<std::uint8_t*>(data);
        std::int32_t done = 0;
        if (pushedBack_ >= 0) {
            bytes[done++] = static_cast<std::uint8_t>(pushedBack_);
            pushedBack_ = -1;
            ++pos_;
        }
        const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(count - done), size_ - pos_));
        try {
            syncSource();
            const size_t got = source_.readFully(std::span(bytes + done, wanted));
            pos_ += got;
            done += static_cast<std::int32_t>(got);
        } catch (...) {
            failure_ = std::current_exception();
        }
        return done;
    }

    int seekTo(std::int64_t pos) {
        if (pos < 0 || static_cast<std::uint64_t>(pos) > size_) return -1;
        pos_ = static_cast<std::uint64_t>(pos);
        pushedBack_ = -1;
        return 0;
    }

    int seekBy(std::int64_t delta, int mode) {
        const std::int64_t origin = mode == SEEK_SET ? 0 : mode == SEEK_CUR ? static_cast<std::int64_t>(pos_) : static_cast<std::int64_t>(size_);
        return seekTo(origin + delta);
    }

    int pushBack(int c) {
        if (pos_ == 0 || pushedBack_ >= 0) return EOF;
        pushedBack_ = c & 0xFF;
        --pos_;
        return c;
    }

    // The source moves only when we read, so it is positioned lazily.
    void syncSource() {
        if (source_.position() != base_ + pos_) source_.seek(base_ + pos_);
    }

    ByteSource& source_;
    std::uint64_t base_;
    std::uint64_t size_;
    std::uint64_t pos_ = 0;
    int pushedBack_ = -1;
    std::exception_ptr failure_;
};

struct CloseWavpack {
    void operator()(WavpackContext* context) const { WavpackCloseFile(context); }
};
using WavpackHandle = std::unique_ptr<WavpackContext, CloseWavpack>;

// Writes to the sink, never beyond the entry's size.
class SizedOutput {
public:
    SizedOutput(ByteSink& sink, std::uint64_t size) : sink_(sink), left_(size) {}
    void write(std::span<const std::uint8_t> bytes) {
        if (bytes.size() > left_) throwDecodeError(kMethod, "stream holds more than the entry's size", "writing the file");
        sink_.write(bytes);
        left_ -= bytes.size();
    }
    std::uint64_t left() const { return left_; }

private:
    ByteSink& sink_;
    std::uint64_t left_;
};

void writeWrapper(WavpackContext* context, SizedOutput& out) {
    const std::uint32_t count = WavpackGetWrapperBytes(context);
    if (count > 0) out.write(std::span<const std::uint8_t>(WavpackGetWrapperData(context), count));
    WavpackFreeWrapper(context);
}

// How one sample is laid out in the original file.
struct SampleFormat {
    int bytes = 2;
    bool bigEndian = false;
    std::uint32_t flip = 0;  // XOR that turns signed values into the file's unsigned ones

    static SampleFormat of(WavpackContext* context) {
        SampleFormat f;
        const int qualify = WavpackGetQualifyMode(context);
        f.bytes = WavpackGetBytesPerSample(context);
        f.bigEndian = (qualify & QMODE_BIG_ENDIAN) != 0;
        const bool isFloat = (WavpackGetMode(context) & MODE_FLOAT) != 0;
        const bool unsignedSamples = f.bytes == 1 ? (qualify & QMODE_SIGNED_BYTES) == 0 : (qualify & QMODE_UNSIGNED_WORDS) != 0;
        if (unsignedSamples && !isFloat) f.flip = std::uint32_t{1} << (8 * f.bytes - 1);
        return f;
    }

    void append(std::int32_t sample, std::vector<std::uint8_t>& out) const {
        const std::uint32_t value = static_cast<std::uint32_t>(sample) ^ flip;
        for (int i = 0; i < bytes; ++i) {
            const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
            out.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
};

WavpackHandle open(EntryFile& file, WavpackStreamReader64& reader) {
    char error[128] = {};
    WavpackHandle context(WavpackOpenFileInputEx64(&reader, &file, nullptr, error, OPEN_WRAPPER | OPEN_ALT_TYPES, 0));
    file.rethrow();
    if (!context) throwDecodeError(kMethod, error[0] ? error : "not a WavPack stream", "opening the stream");
    const int qualify = WavpackGetQualifyMode(context.get());
    if (qualify & QMODE_DSD_AUDIO) throwDecodeError(kMethod, "DSD audio is not supported", "opening the stream");
    if (qualify & QMODE_REORDERED_CHANS) throwDecodeError(kMethod, "reordered channels are not supported", "opening the stream");
    const int bytes = WavpackGetBytesPerSample(context.get());
    if (bytes < 1 || bytes > 4 || WavpackGetNumChannels(context.get()) < 1)
        throwDecodeError(kMethod, "unsupported sample format", "opening the stream");
    return context;
}

}  // namespace

void decodeWavpack(const EntryCoding& coding, ByteSource& compressed, ByteSink& out) {
    EntryFile file(compressed, coding.compressedSize);
    WavpackStreamReader64 reader = EntryFile::reader();
    const WavpackHandle context = open(file, reader);
    SizedOutput output(out, coding.uncompressedSize);
    writeWrapper(context.get(), output);

    const SampleFormat format = SampleFormat::of(context.get());
    const auto channels = static_cast<std::uint32_t>(WavpackGetNumChannels(context.get()));
    const std::uint32_t framesPerPiece = std::max<std::uint32_t>(1, 16384 / channels);
    std::vector<std::int32_t> samples(static_cast<size_t>(framesPerPiece) * channels);
    std::vector<std::uint8_t> bytes;
    std::int64_t frames = 0;
    for (;;) {
        const std::uint32_t got = WavpackUnpackSamples(context.get(), samples.data(), framesPerPiece);
        file.rethrow();
        if (got == 0) break;
        bytes.clear();
        for (size_t i = 0; i < static_cast<size_t>(got) * channels; ++i) format.append(samples[i], bytes);
        output.write(bytes);
        frames += got;
    }
    if (WavpackGetNumErrors(context.get()) > 0) throwDecodeError(kMethod, "corrupt block", "unpacking samples");
    const std::int64_t expected = WavpackGetNumSamples64(context.get());
    if (expected >= 0 && frames != expected) throwDecodeError(kMethod, "data ends early", "unpacking samples");

    writeWrapper(context.get(), output);
    if (output.left() > 0) throwDecodeError(kMethod, "data ends before the entry's size", "end of stream");
}

}  // namespace tessaro::archives
