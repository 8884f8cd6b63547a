// Building one cabinet from a folder of typical attachment data, against gcab -c -z (zlib
// MSZIP) run as a child process on the same files in the same run.
//
// The folder (about 12 MB): claim XML text, PDF-like files (text objects between compressed
// streams), 16-bit image data (smooth with noise, as in DICOM series) and random bytes.
// Counters: bytes_per_second over the input, and the cabinet size as a ratio to gcab's.
#include "archives/cab/cab_support.h"
#include "platform/user_port.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tessaro::archives::cab::TCabCompress;

class SilentPort : public tessaro::UserPort {
public:
    void showMessage(const std::string&) override {}
    void reportError(const std::string&) override {}
    bool askOkCancel(const std::string&) override { return true; }
    std::optional<fs::path> openFile(const tessaro::FileDialogRequest&) override { return {}; }
    std::optional<fs::path> saveFile(const tessaro::FileDialogRequest&) override { return {}; }
    void processPendingMessages() override {}
};

std::string xmlText(size_t size, std::mt19937& rng) {
    std::string out;
    int serial = 0;
    while (out.size() < size) {
        out += "<ddata><dhead><d1>" + std::to_string(rng() % 26 + 1) + "</d1><d2>" + std::to_string(++serial) +
               "</d2></dhead><dbody><d3>A" + std::to_string(100000000 + rng() % 900000000) + "</d3><d9>1120" +
               std::to_string(rng() % 12 + 1) + "</d9><d19>" + std::to_string(rng() % 5000) +
               "</d19><pdata><p1>" + std::to_string(rng() % 90 + 1) + "</p1><p4>0" + std::to_string(rng() % 99999) +
               "B</p4><p10>" + std::to_string(rng() % 30) + "</p10></pdata></dbody></ddata>\r\n";
    }
    out.resize(size);
    return out;
}

std::string randomBytes(size_t size, std::mt19937& rng) {
    std::string out(size, '\0');
    for (auto& c : out) c = static_cast<char>(rng());
    return out;
}

std::string pdfLike(size_t size, std::mt19937& rng) {
    std::string out = "%PDF-1.7\n";
    int object = 1;
    while (out.size() < size) {
        out += std::to_string(object++) + " 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 5 0 R >> >> >>\nendobj\n";
        out += std::to_string(object++) + " 0 obj\n<< /Length 20000 /Filter /FlateDecode >>\nstream\n";
        out += randomBytes(20000, rng);
        out += "\nendstream\nendobj\n";
    }
    out.resize(size);
    return out;
}

std::string image16(size_t size, std::mt19937& rng) {
    std::string out(size & ~size_t{1}, '\0');
    const size_t width = 512;
    for (size_t i = 0; i < out.size() / 2; ++i) {
        const double x = double(i % width), y = double(i / width % width);
        const int value = int(1500 + 800 * std::sin(x / 40) * std::cos(y / 55)) + int(rng() % 24);
        out[2 * i] = static_cast<char>(value & 0xFF);
        out[2 * i + 1] = static_cast<char>(value >> 8);
    }
    return out;
}

struct Corpus {
    fs::path dir;
    std::vector<std::string> names;
    std::uint64_t bytes = 0;
    std::uint64_t gcabSize = 0;

    Corpus() {
        dir = fs::temp_directory_path() / ("tessaro-cab-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir / "in");
        std::mt19937 rng(42);
        const auto put = [&](const std::string& name, const std::string& data) {
            std::ofstream(dir / "in" / name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
            names.push_back(name);
            bytes += data.size();
        };
        put("claims.xml", xmlText(4 << 20, rng));
        put("record1.pdf", pdfLike(2 << 20, rng));
        put("record2.pdf", pdfLike(1 << 20, rng));
        put("series.dcm", image16(3 << 20, rng));
        put("noise.bin", randomBytes(2 << 20, rng));
        gcabSize = runGcab();
    }
    ~Corpus() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    std::uint64_t runGcab() const {
        std::string command = "cd '" + (dir / "in").string() + "' && gcab -c -z ../gcab.cab";
        for (const auto& n : names) command += " " + n;
        if (std::system(command.c_str()) != 0) return 0;
        return fs::file_size(dir / "gcab.cab");
    }
};

Corpus& corpus() {
    static Corpus c;
    return c;
}

void BM_CabinetOurs(benchmark::State& state) {
    Corpus& c = corpus();
    SilentPort port;
    TCabCompress cab(port);
    cab.AddFolder((c.dir / "in").string() + "/*.*");
    cab.FileName = (c.dir / "ours.cab").string();
    for (auto _ : state)
        if (!cab.Compress()) state.SkipWithError("Compress failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
    const auto size = fs::file_size(c.dir / "ours.cab");
    state.counters["cab_bytes"] = static_cast<double>(size);
    state.counters["size_vs_gcab"] = c.gcabSize ? double(size) / double(c.gcabSize) : 0;
}
BENCHMARK(BM_CabinetOurs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CabinetGcab(benchmark::State& state) {
    Corpus& c = corpus();
    for (auto _ : state)
        if (c.runGcab() == 0) state.SkipWithError("gcab failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
    state.counters["cab_bytes"] = static_cast<double>(c.gcabSize);
}
BENCHMARK(BM_CabinetGcab)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
