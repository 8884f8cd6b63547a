// Deflate encoder and decoder throughput against zlib in the same run.
//
// Each input is compressed by our encoder (normal preset, as the ZIP writer uses it) and by
// zlib at level 6, and decoded by our decoder and by zlib's raw inflate. Where libdeflate is
// installed, its level 6 is a second encoder reference (its compressor is allocated once, as
// our encoder's state is). The counter "ratio" is compressed size / input size.
// bench/deflate_ratios.py turns the JSON output into the table of docs/performance.md.
#include "archives/deflate/deflate_encoder.h"
#include "archives/deflate/inflate_decoder.h"
#include "bench/bench_inputs.h"

#include <benchmark/benchmark.h>
#include <zlib.h>
#if TESSARO_BENCH_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <map>
#include <stdexcept>
#include <string>

namespace {

using tessaro::bench::Bytes;

const Bytes& input(const std::string& name) {
    static const std::map<std::string, Bytes> inputs = {
        {"xml", tessaro::bench::xmlInput()},
        {"pdf", tessaro::bench::pdfLikeInput()},
        {"image16", tessaro::bench::image16Input()},
        {"random", tessaro::bench::randomInput()},
    };
    return inputs.at(name);
}

// A sink that keeps only the last write's size: the cost of storing output is not measured.
class DiscardSink final : public tessaro::archives::ByteSink {
public:
    void write(std::span<const std::uint8_t> data) override { count_ += data.size(); }
    std::uint64_t count() const { return count_; }

private:
    std::uint64_t count_ = 0;
};

Bytes zlibCompress(const Bytes& data, int level) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes ourCompress(const Bytes& data) {
    tessaro::archives::MemorySource source(data);
    tessaro::archives::MemorySink sink;
    tessaro::archives::deflateStream(source, sink, tessaro::archives::DeflateSettings::forZipWriter('n'));
    return sink.bytes();
}

void EncodeOurs(benchmark::State& state, const std::string& name) {
    const Bytes& data = input(name);
    tessaro::archives::DeflateEncoder encoder;
    const auto settings = tessaro::archives::DeflateSettings::forZipWriter('n');
    std::uint64_t size = 0;
    for (auto _ : state) {
        tessaro::archives::MemorySource source(data);
        DiscardSink sink;
        benchmark::DoNotOptimize(encoder.encode(source, sink, settings));
        size = sink.count();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["ratio"] = double(size) / double(data.size());
}

void EncodeZlib6(benchmark::State& state, const std::string& name) {
    const Bytes& data = input(name);
    std::uint64_t size = 0;
    for (auto _ : state) size = zlibCompress(data, 6).size();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["ratio"] = double(size) / double(data.size());
}

#if TESSARO_BENCH_LIBDEFLATE
void EncodeLibdeflate6(benchmark::State& state, const std::string& name) {
    const Bytes& data = input(name);
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    if (compressor == nullptr) throw std::runtime_error("libdeflate_alloc_compressor");
    Bytes out(libdeflate_deflate_compress_bound(compressor, data.size()));
    std::size_t size = 0;
    for (auto _ : state) {
        size = libdeflate_deflate_compress(compressor, data.data(), data.size(), out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    libdeflate_free_compressor(compressor);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["ratio"] = double(size) / double(data.size());
}
#endif

void DecodeOurs(benchmark::State& state, const std::string& name) {
    const Bytes& data = input(name);
    const Bytes packed = ourCompress(data);
    tessaro::archives::InflateDecoder decoder(tessaro::archives::InflateDecoder::Variant::Deflate);
    for (auto _ : state) {
        tessaro::archives::MemorySource source(packed);
        DiscardSink sink;
        decoder.decode(source, sink, data.size());
        benchmark::DoNotOptimize(sink.count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void DecodeZlib(benchmark::State& state, const std::string& name) {
    const Bytes& data = input(name);
    const Bytes packed = ourCompress(data);
    Bytes out(data.size());
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = const_cast<Bytef*>(packed.data());
        z.avail_in = static_cast<uInt>(packed.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib inflate");
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void registerAll() {
    for (const char* name : {"xml", "pdf", "image16", "random"}) {
        benchmark::RegisterBenchmark((std::string("Encode/ours/") + name).c_str(), EncodeOurs, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Encode/zlib6/") + name).c_str(), EncodeZlib6, name)->Unit(benchmark::kMillisecond);
#if TESSARO_BENCH_LIBDEFLATE
        benchmark::RegisterBenchmark((std::string("Encode/libdeflate6/") + name).c_str(), EncodeLibdeflate6, name)
            ->Unit(benchmark::kMillisecond);
#endif
        benchmark::RegisterBenchmark((std::string("Decode/ours/") + name).c_str(), DecodeOurs, name)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("Decode/zlib/") + name).c_str(), DecodeZlib, name)->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
