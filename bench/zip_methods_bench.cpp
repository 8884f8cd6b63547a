// Decoding speed of the ZIP method decoders. Each is measured on an entry of the third-party
// test archives; the references in the same run are zlib's inflate on the same bytes
// (Deflate, the everyday method) and, for bzip2 and LZMA, the libraries called directly,
// which shows the cost of our streaming wrappers.
#include "archives/codecs/entry_decoder.h"
#include "tests/archives/support/raw_entries.h"

#include <benchmark/benchmark.h>
#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

using tessaro::testing::RawEntry;
using tessaro::testing::RawZip;

const std::string kZipData = std::string(TESSARO_SHARED_TESTDATA) + "/zip/";

struct Entry {
    tessaro::archives::EntryCoding coding;
    std::string data;
};

Entry entryOf(const std::string& archive, const std::string& name) {
    const RawZip zip(kZipData + archive);
    for (const RawEntry& e : zip.entries())
        if (e.name == name) return {e.coding, zip.data(e)};
    throw std::runtime_error("no entry " + name);
}

void decodeEntry(benchmark::State& state, const Entry& entry) {
    for (auto _ : state) {
        tessaro::archives::MemorySource source(entry.data);
        tessaro::archives::CountingSink sink;
        tessaro::archives::decodeEntryData(entry.coding, source, sink);
        benchmark::DoNotOptimize(sink.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * entry.coding.uncompressedSize));
}

void BM_Shrink(benchmark::State& s) { decodeEntry(s, entryOf("Zip.shrink.zip", "TEST.EXE")); }
void BM_Reduce4(benchmark::State& s) { decodeEntry(s, entryOf("Zip.reduce4.zip", "TEST.EXE")); }
void BM_Implode(benchmark::State& s) { decodeEntry(s, entryOf("Zip.implode.zip", "EXE/TEST.EXE")); }
void BM_Bzip2(benchmark::State& s) { decodeEntry(s, entryOf("Zip.bzip2.zip", "exe/test.exe")); }
void BM_Lzma(benchmark::State& s) { decodeEntry(s, entryOf("Zip.lzma.zip", "exe/test.exe")); }
void BM_Ppmd(benchmark::State& s) { decodeEntry(s, entryOf("Zip.ppmd.zip", "exe/test.exe")); }

void BM_ZlibInflateReference(benchmark::State& state) {
    const Entry entry = entryOf("Zip.deflate.zip", "exe/test.exe");
    std::vector<Bytef> out(entry.coding.uncompressedSize);
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(entry.data.data()));
        z.avail_in = static_cast<uInt>(entry.data.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        inflate(&z, Z_FINISH);
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void BM_Bzip2DirectReference(benchmark::State& state) {
    const Entry entry = entryOf("Zip.bzip2.zip", "exe/test.exe");
    std::vector<char> out(entry.coding.uncompressedSize);
    for (auto _ : state) {
        unsigned length = static_cast<unsigned>(out.size());
        BZ2_bzBuffToBuffDecompress(out.data(), &length, const_cast<char*>(entry.data.data()),
                                   static_cast<unsigned>(entry.data.size()), 0, 0);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

void BM_LzmaDirectReference(benchmark::State& state) {
    const Entry entry = entryOf("Zip.lzma.zip", "exe/test.exe");
    std::vector<std::uint8_t> out(entry.coding.uncompressedSize);
    const auto* data = reinterpret_cast<const std::uint8_t*>(entry.data.data());
    for (auto _ : state) {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        lzma_properties_decode(&filters[0], nullptr, data + 4, 5);
        lzma_stream z = LZMA_STREAM_INIT;
        if (lzma_raw_decoder(&z, filters) != LZMA_OK) state.SkipWithError("liblzma refused the properties");
        z.next_in = data + 9;
        z.avail_in = entry.data.size() - 9;
        z.next_out = out.data();
        z.avail_out = out.size();
        benchmark::DoNotOptimize(lzma_code(&z, LZMA_RUN));
        lzma_end(&z);
        free(filters[0].options);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}

BENCHMARK(BM_ZlibInflateReference);
BENCHMARK(BM_Shrink);
BENCHMARK(BM_Reduce4);
BENCHMARK(BM_Implode);
BENCHMARK(BM_Ppmd);
BENCHMARK(BM_Bzip2DirectReference);
BENCHMARK(BM_Bzip2);
BENCHMARK(BM_LzmaDirectReference);
BENCHMARK(BM_Lzma);

}  // namespace

BENCHMARK_MAIN();
