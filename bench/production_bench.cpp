// A production run of 50 cases against packing the same files with the cabinet builder and
// the ZIP writer called directly, timed alternately in the same run.
//
// Each case has a 3 MB EMR XML, 4 MB of 16-bit image data as a DICOM index stand-in and a
// 300 KB PDF-like file (the same three files for every case; packing them costs the same
// whatever their names). The direct packing builds the three cabinets from folders that
// already hold the files under their copy names and writes the package with a small document.
// The difference is the run's own work: emptying working folders, copying the record files,
// building and saving the document, forming names.
//
// Counters: run_MBps and direct_MBps over the input bytes, overhead = run / direct - 1, and
// check_share: the part of the run's time from its first "檢查" report to its first "紀錄"
// report (the check of every package it made) over the whole run's time, and record_share
// from there to the run's end (each package's SHA-256 and the record).
#include "archives/cab/cab_support.h"
#include "archives/zip/zip_writer.h"
#include "bench/bench_inputs.h"
#include "platform/user_port.h"
#include "production/production_run.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace {

namespace fs = std::filesystem;
using namespace tessaro;

constexpr std::size_t kCases = 50;

class SilentPort : public UserPort {
public:
    void showMessage(const std::string&) override {}
    void reportError(const std::string&) override {}
    bool askOkCancel(const std::string&) override { return true; }
    std::optional<fs::path> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<fs::path> saveFile(const FileDialogRequest&) override { return {}; }
    void processPendingMessages() override {}
    // When the run reported its first package check (the end of the packing).
    void showProgress(const Progress& progress) override {
        if (!checkStarted && progress.file.starts_with("檢查 ")) checkStarted = std::chrono::steady_clock::now();
        if (!recordStarted && progress.file.starts_with("紀錄 ")) recordStarted = std::chrono::steady_clock::now();
    }
    std::optional<std::chrono::steady_clock::time_point> checkStarted, recordStarted;
};

void writeFile(const fs::path& path, const bench::Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Inputs {
    fs::path dir = fs::temp_directory_path() / ("tessaro-production-bench-" + std::to_string(std::random_device{}()));
    fs::path emr = dir / "records" / "note.xml";
    fs::path dicom = dir / "records" / "DICOMDIR";
    fs::path pdf = dir / "records" / "scan.pdf";
    std::uint64_t bytesPerCase = 0;

    Inputs() {
        const bench::Bytes xml = bench::xmlInput(3 << 20), image = bench::image16Input(4 << 20),
                           pdfBytes = bench::pdfLikeInput(300 << 10);
        writeFile(emr, xml);
        writeFile(dicom, image);
        writeFile(pdf, pdfBytes);
        bytesPerCase = xml.size() + image.size() + pdfBytes.size();
        // The direct packing's folders hold the same files under copy names.
        fs::create_directories(dir / "direct");
        for (const auto& [kind, source, name] : {std::tuple{"ATT", pdf, "11A04000001001.PDF"},
                                                  std::tuple{"EMR", emr, "11A04000001001.XML"},
                                                  std::tuple{"DCF", dicom, "04001001"}}) {
            fs::create_directories(dir / "direct" / kind);
            fs::copy_file(source, dir / "direct" / kind / name);
        }
        writeFile(dir / "direct" / "doc.XML", bench::Bytes(900, 'x'));
    }
    ~Inputs() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

Inputs& inputs() {
    static Inputs i;
    return i;
}

// The cases the run reads: every one with the same three record files.
class BenchCases : public production::RunCases {
public:
    explicit BenchCases(const Inputs& in) : in_(in) {}
    std::size_t count() const override { return kCases; }
    production::CaseFacts facts(std::size_t index) const override {
        return {"04", std::to_string(index + 1), "<DCF>(B)x", "A123456789"};
    }
    std::vector<production::AttachmentFacts> attachments(std::size_t) const override {
        return {{"DCF", 'B', in_.dicom.string()}, {"ATT", 'A', in_.pdf.string()}, {"EMR", 'A', in_.emr.string()}};
    }
    void packageMade(std::size_t, const fs::path&) override {}

private:
    const Inputs& in_;
};

void packDirectly(const Inputs& in, UserPort& port, std::size_t round) {
    const fs::path out = in.dir / "direct-out";
    fs::create_directories(out);
    for (std::size_t c = 0; c < kCases; ++c) {
        const std::string tag = std::to_string(round) + "_" + std::to_string(c);
        archives::TZipWriter zip(&port);
        zip.setStoreOptions(archives::soStripDrive | archives::soStripPath | archives::soRemoveDots | archives::soFreshen |
                            archives::soReplace);
        zip.OpenArchive(out / ("package" + tag + ".zip"));
        for (const char* kind : {"ATT", "EMR", "DCF"}) {
            archives::cab::TCabCompress cab(port);
            cab.AddFolder((in.dir / "direct" / kind / "*.*").string());
            cab.FileName = (out / (std::string(kind) + tag + ".CAB")).string();
            cab.Compress();
            zip.AddFiles(cab.FileName, 0);
        }
        zip.AddFiles((in.dir / "direct" / "doc.XML").string(), 0);
        zip.Save();
        zip.CloseArchive();
        // The run replaces its cabinets case by case: so does this, keeping the disk alike.
        for (const char* kind : {"ATT", "EMR", "DCF"}) fs::remove(out / (std::string(kind) + tag + ".CAB"));
    }
    fs::remove_all(out);
}

// Runs the production; `end` is when the run returned, before its folder is removed.
void produce(const Inputs& in, UserPort& port, std::chrono::steady_clock::time_point& end) {
    production::RunSettings settings;
    settings.appPath = (in.dir / "app").string() + "/";
    settings.headerSource = production::HeaderSource::headerBoxes;
    settings.hospitalCodeBox = "0123456789";
    settings.feeYearMonthBox = "11309";
    settings.declarationDateBox = "1131015";
    settings.uploadType = settings.declarationType = "1";
    std::string yyymm, update;
    BenchCases cases(in);
    production::runProduction(settings, cases, {yyymm, update}, port);
    end = std::chrono::steady_clock::now();
    fs::remove_all(in.dir / "app");
}

void BM_RunAgainstDirectPacking(benchmark::State& state) {
    Inputs& in = inputs();
    SilentPort port;
    using Clock = std::chrono::steady_clock;
    double runSeconds = 0, directSeconds = 0, checkSeconds = 0, recordSeconds = 0;
    std::size_t round = 0;
    // The two take turns going first, so that neither always finds the caches and the disk
    // as the other left them.
    for (auto _ : state) {
        const bool directFirst = round % 2 == 0;
        const auto timed = [](auto&& work) {
            const auto start = Clock::now();
            work();
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        const auto direct = [&] { directSeconds += timed([&] { packDirectly(in, port, round); }); };
        const auto run = [&] {
            port.checkStarted.reset();
            port.recordStarted.reset();
            Clock::time_point end;
            const auto start = Clock::now();
            produce(in, port, end);
            runSeconds += std::chrono::duration<double>(end - start).count();
            if (port.checkStarted && port.recordStarted) {
                checkSeconds += std::chrono::duration<double>(*port.recordStarted - *port.checkStarted).count();
                recordSeconds += std::chrono::duration<double>(end - *port.recordStarted).count();
            }
        };
        if (directFirst) {
            direct();
            run();
        } else {
            run();
            direct();
        }
        ++round;
    }
    const double megabytes = double(in.bytesPerCase) * kCases * double(state.iterations()) / 1e6;
    state.counters["run_MBps"] = megabytes / runSeconds;
    state.counters["direct_MBps"] = megabytes / directSeconds;
    state.counters["overhead"] = runSeconds / directSeconds - 1.0;
    state.counters["check_share"] = checkSeconds / runSeconds;
    state.counters["record_share"] = recordSeconds / runSeconds;
}
BENCHMARK(BM_RunAgainstDirectPacking)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
