// WavPack entries (method 97): WAV files made by sox, compressed by the wavpack program, must
// come back byte for byte, header and trailing chunks included.
#include "archives/io/decode_error.h"
#include "tests/archives/support/tool_archives.h"

#include <gtest/gtest.h>

namespace tessaro::archives {
namespace {

using tessaro::testing::decodeToMemory;
using tessaro::testing::readBytes;
using tessaro::testing::runIn;
using tessaro::testing::TempDir;

// The .wv stream of `wav` as a method-97 entry of the WAV's size.
std::string packed(const TempDir& dir, const std::string& wav, const std::string& options = "") {
    EXPECT_TRUE(runIn(dir.path(), "wavpack -q -y " + options + " " + wav + " -o " + wav + ".wv"));
    return readBytes(dir / (wav + ".wv"));
}

EntryCoding wavpackCoding(const std::string& stream, size_t size) {
    EntryCoding coding;
    coding.method = 97;
    coding.compressedSize = stream.size();
    coding.uncompressedSize = size;
    return coding;
}

class WavpackFormats : public ::testing::TestWithParam<std::string> {};

TEST_P(WavpackFormats, GivesBackTheWavFileByteForByte) {
    TESSARO_NEEDS_PEER_TOOLS("sox", "wavpack");
    TempDir dir;
    // Two seconds of a chord with noise, so every sample format has something to pack.
    ASSERT_TRUE(runIn(dir.path(), "sox -n " + GetParam() + " -r 22050 in.wav synth 2 sine 440 sine 660 whitenoise vol 0.5"));
    const std::string wav = readBytes(dir / "in.wav");
    for (const std::string options : {"", "-hh -x3"}) {
        SCOPED_TRACE(options);
        const std::string stream = packed(dir, "in.wav", options);
        const auto bytes = decodeToMemory(wavpackCoding(stream, wav.size()), stream);
        EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == wav) << "decoded " << bytes.size() << " of " << wav.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Sox, WavpackFormats,
                         ::testing::Values("-b 8 -c 1", "-b 8 -c 2", "-b 16 -c 1", "-b 16 -c 2", "-b 24 -c 1", "-b 24 -c 2",
                                           "-b 32 -c 2", "-e floating-point -b 32 -c 2"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, ' ');
                             std::erase(name, '-');
                             return name;
                         });

// A chunk after the audio data travels as trailing wrapper data; a wrong size is an error.
TEST(Wavpack, KeepsChunksAfterTheAudioAndChecksTheSize) {
    TESSARO_NEEDS_PEER_TOOLS("sox", "wavpack");
    TempDir dir;
    ASSERT_TRUE(runIn(dir.path(), "sox -n -b 16 -c 2 -r 8000 plain.wav synth 0.5 sine 300"));
    std::string wav = readBytes(dir / "plain.wav");
    const std::string chunk = std::string("LIST\x0C\0\0\0INFOICMT\0\0\0\0", 20);
    wav += chunk;
    const std::uint32_t riffSize = static_cast<std::uint32_t>(wav.size() - 8);
    for (int i = 0; i < 4; ++i) wav[4 + i] = static_cast<char>(riffSize >> (8 * i));
    dir.write("tail.wav", wav);
    const std::string stream = packed(dir, "tail.wav");

    const auto bytes = decodeToMemory(wavpackCoding(stream, wav.size()), stream);
    EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == wav) << "decoded " << bytes.size() << " of " << wav.size();
    EXPECT_THROW(decodeToMemory(wavpackCoding(stream, wav.size() - 1), stream), DecodeError);
    EXPECT_THROW(decodeToMemory(wavpackCoding(stream, wav.size() + 1), stream), DecodeError);
}

// The entry's data need not start the source (the extractor may hand over the archive file
// positioned at the entry); damaged streams fail as DecodeErrors and never overrun.
TEST(Wavpack, ReadsFromTheSourcePositionAndRejectsDamage) {
    TESSARO_NEEDS_PEER_TOOLS("sox", "wavpack");
    TempDir dir;
    ASSERT_TRUE(runIn(dir.path(), "sox -n -b 16 -c 2 -r 8000 w.wav synth 1 sine 300 pinknoise vol 0.3"));
    const std::string wav = readBytes(dir / "w.wav");
    const std::string stream = packed(dir, "w.wav");

    const std::string framed = std::string(777, 'x') + stream + std::string(50, 'y');
    MemorySource source(framed);
    source.seek(777);
    MemorySink sink;
    decodeEntryData(wavpackCoding(stream, wav.size()), source, sink);
    EXPECT_TRUE(sink.str() == wav);

    for (size_t at = 0; at < stream.size(); at += stream.size() / 60 + 1) {
        std::string damaged = stream;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        MemorySource damagedSource(damaged);
        MemorySink out;
        try {
            decodeEntryData(wavpackCoding(damaged, wav.size()), damagedSource, out);
            EXPECT_EQ(out.bytes().size(), wav.size()) << at;
        } catch (const DecodeError&) {
            EXPECT_LE(out.bytes().size(), wav.size()) << at;
        }
    }
    const std::string half = stream.substr(0, stream.size() / 2);
    EXPECT_THROW(decodeToMemory(wavpackCoding(half, wav.size()), half), DecodeError);
}

}  // namespace
}  // namespace tessaro::archives
