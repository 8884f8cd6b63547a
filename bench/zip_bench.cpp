// ZIP extraction and package writing against Info-ZIP's unzip and zip -6 in the same run.
//
// Extract: a 40 MiB archive made by "zip -6" (an XML text, a smooth 16-bit image, an
// incompressible cabinet-like file) is extracted by TZipExtractor and by "unzip" (as a child
// process). Write: the same three files are packed into a new package by TZipWriter (the
// program's settings: Deflate, stored when it does not pay) and by "zip -6". Both sides
// include opening, reading, writing and closing every file. bench/zip_ratios.py turns the
// JSON output into the table of docs/performance.md.
#include "archives/zip/zip_extractor.h"
#include "archives/zip/zip_writer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
using tessaro::archives::TZipExtractor;
using tessaro::archives::TZipWriter;

std::string xmlText(size_t size) {
    static const char* words[] = {"<case>", "</case>", "<t2>", "3501200000", "</t2>", "病歷", "<d1>", "113", "</d1>",
                                  "A123456789", "<name>", "陳小明", "</name>", "0.25", "ICD10", "K21.9", "\n", "  "};
    std::mt19937 random(1);
    std::string text;
    text.reserve(size);
    while (text.size() < size) text += words[random() % std::size(words)];
    text.resize(size);
    return text;
}

std::string smoothImage(size_t size) {
    std::string image(size, '\0');
    std::mt19937 random(2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const auto v = static_cast<std::uint16_t>(2000 + 1500 * std::sin(static_cast<double>(i) / 5000.0) + random() % 64);
        image[i] = static_cast<char>(v & 0xFF);
        image[i + 1] = static_cast<char>(v >> 8);
    }
    return image;
}

std::string randomBytes(size_t size) {
    std::string bytes(size, '\0');
    std::mt19937 random(3);
    for (auto& c : bytes) c = static_cast<char>(random());
    return bytes;
}

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// The input files and the reference archive, made once and removed at exit.
struct Workspace {
    fs::path root;
    std::vector<fs::path> files;
    fs::path archive;
    std::uint64_t inputBytes = 0;

    Workspace() {
        root = fs::temp_directory_path() / ("tessaro-zip-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "in");
        const std::pair<const char*, std::string> inputs[] = {
            {"feereview.xml", xmlText(24 << 20)}, {"image.dcm", smoothImage(8 << 20)}, {"ATT.CAB", randomBytes(8 << 20)}};
        for (const auto& [name, bytes] : inputs) {
            files.push_back(root / "in" / name);
            std::ofstream(files.back(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            inputBytes += bytes.size();
        }
        archive = root / "reference.zip";
        std::string command = "zip -6 -q -j '" + archive.string() + "'";
        for (const auto& file : files) command += " '" + file.string() + "'";
        run(command);
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path freshFolder(const std::string& name) const {
        fs::remove_all(root / name);
        fs::create_directories(root / name);
        return root / name;
    }
};

const Workspace& workspace() {
    static const Workspace instance;
    return instance;
}

void BM_Extract_ours(benchmark::State& state) {
    const auto& ws = workspace();
    for (auto _ : state) {
        state.PauseTiming();
        const auto out = ws.freshFolder("out-ours");
        state.ResumeTiming();
        TZipExtractor extractor;
        extractor.setFileName(ws.archive);
        extractor.setBaseDirectory(out);
        extractor.ExtractFiles("*.*");
        extractor.CloseArchive();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ws.inputBytes));
}

void BM_Extract_unzip(benchmark::State& state) {
    const auto& ws = workspace();
    for (auto _ : state) {
        state.PauseTiming();
        const auto out = ws.freshFolder("out-unzip");
        state.ResumeTiming();
        run("unzip -o -qq '" + ws.archive.string() + "' -d '" + out.string() + "'");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ws.inputBytes));
}

void BM_Write_ours(benchmark::State& state) {
    const auto& ws = workspace();
    for (auto _ : state) {
        state.PauseTiming();
        const auto package = ws.freshFolder("pkg-ours") / "package.zip";
        state.ResumeTiming();
        TZipWriter writer;
        writer.setStoreOptions(tessaro::archives::soStripDrive | tessaro::archives::soStripPath |
                               tessaro::archives::soRemoveDots | tessaro::archives::soFreshen |
                               tessaro::archives::soReplace);
        writer.OpenArchive(package);
        for (const auto& file : ws.files) writer.AddFiles(file.string(), 0);
        writer.CloseArchive();
        state.counters["ratio"] = static_cast<double>(fs::file_size(package)) / static_cast<double>(ws.inputBytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ws.inputBytes));
}

void BM_Write_zip6(benchmark::State& state) {
    const auto& ws = workspace();
    for (auto _ : state) {
        state.PauseTiming();
        const auto package = ws.freshFolder("pkg-zip") / "package.zip";
        std::string command = "zip -6 -q -j '" + package.string() + "'";
        for (const auto& file : ws.files) command += " '" + file.string() + "'";
        state.ResumeTiming();
        run(command);
        state.counters["ratio"] = static_cast<double>(fs::file_size(package)) / static_cast<double>(ws.inputBytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ws.inputBytes));
}

BENCHMARK(BM_Extract_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Extract_unzip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Write_ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Write_zip6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
