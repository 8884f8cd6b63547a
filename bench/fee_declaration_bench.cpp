// How a case lookup and a setting-table import in a large fee declaration compare with
// merely reading the file.
//
// A Big5 declaration of about 150 MB (200,000 cases with invented Chinese names) is written
// to a temporary folder, with a setting table of 1,000 of its cases spread over the file.
// The reference is a plain read of the declaration's bytes into memory. The lookup reads
// the file afresh and finds a case near its end, as every category pick in the case list
// does; it is measured once more with the file read into memory, as a file on a network
// drive is (those are not mapped). The import scan answers every category of the file from
// one pass; the import runs the whole "匯入抽審明細檔" of the 1,000-case table through the
// workspace. Decoding the whole file first, the way a naive reader would, is measured for
// comparison. The ratios against the plain read are printed at the end; the files are
// removed afterwards.
#include "app/workspace/workspace.h"
#include "feeinput/case_lookup.h"
#include "feeinput/declaration_text.h"
#include "feeinput/text_file.h"
#include "platform/code_page.h"
#include "platform/file_io.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tessaro;

constexpr int kCases = 200000;
constexpr int kTargetCase = kCases - 10;
const std::vector<std::string> kCategories = {"01", "02", "03", "04", "05", "06", "08", "09", "A1",
                                              "A2", "A3", "A5", "A6", "A7", "B1", "B6", "B7", "B9",
                                              "BA", "C1", "D1", "D2", "DF", "E1", "E2", "E3"};

constexpr int kTableCases = 1000;

fs::path gFile;
fs::path gTable;

std::string categoryOf(int n) { return kCategories[static_cast<std::size_t>(n) % kCategories.size()]; }

// Invented names: a surname and one or two given-name characters, in Big5.
std::vector<std::string> makeNames(std::mt19937& random) {
    const std::u32string surnames = U"陳林黃張李王吳劉蔡楊許鄭謝郭洪曾邱廖賴周徐蘇葉莊呂江何蕭羅高";
    const std::u32string given = U"小明華美玲志偉淑芬家豪怡君建宏雅婷俊傑佳蓉冠宇宗翰詩涵功蓋";
    auto pick = [&](const std::u32string& from) {
        const char32_t c = from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
        std::string utf8;
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
        return utf8;
    };
    std::vector<std::string> names;
    for (int i = 0; i < 4000; ++i)
        names.push_back(platform::encodeCodePage(pick(surnames) + pick(given) + (i % 3 ? pick(given) : "")));
    return names;
}

void writeDeclaration(const fs::path& file) {
    std::mt19937 random(20240601);
    const std::vector<std::string> names = makeNames(random);
    std::ofstream out(file, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"Big5\"?>\r\n<outpatient>\r\n<tdata><t1>10</t1><t2>3501200000</t2>"
           "<t3>11305</t3><t4>1</t4><t5>1</t5><t6>1130610</t6></tdata>\r\n";
    char buffer[160];
    for (int n = 0; n < kCases; ++n) {
        out << "<ddata><dhead><d1>" << categoryOf(n) << "</d1><d2>" << (n + 1) << "</d2></dhead><dbody>";
        std::snprintf(buffer, sizeof buffer, "<d3>A1%08d</d3><d4></d4><d5>%d</d5><d6>%s</d6><d8>%02d</d8>"
                      "<d9>11305%02d</d9><d11>0%06d</d11>", n, n % 2 + 1, "1", n % 30, n % 28 + 1, n);
        out << buffer << "<d19>J069</d19><d20>R05</d20><d49>" << names[static_cast<std::size_t>(n) % names.size()]
            << "</d49>";
        for (int p = 0; p < 5; ++p) {
            std::snprintf(buffer, sizeof buffer, "<pdata><p1>%d</p1><p2>A0%05d</p2><p3>1</p3><p4>%06d</p4>"
                          "<p10>%d</p10><p13>%03d</p13><p14>1130501</p14></pdata>", p + 1, n % 90000, n, p,
                          n % 1000);
            out << buffer;
        }
        out << "</dbody></ddata>\r\n";
    }
    out << "</outpatient>\r\n";
}

// A setting table: the declaration's path, then 1,000 of its cases spread over the file.
void writeSettingTable(const fs::path& table, const fs::path& declaration) {
    std::ofstream out(table, std::ios::binary);
    out << declaration.string() << "\r\n";
    for (int i = 0; i < kTableCases; ++i) {
        const int n = static_cast<int>((static_cast<long long>(i) * 7919) % kCases);
        out << categoryOf(n) << "," << (n + 1) << ",<ATT>(A)D:\\chart" << n << ".pdf\r\n";
    }
}

// Answers the import's dialog with the table and takes every message silently.
class TablePort : public UserPort {
public:
    void showMessage(const std::string&) override {}
    void reportError(const std::string& text) override { error = text; }
    bool askOkCancel(const std::string&) override { return true; }
    std::optional<fs::path> openFile(const FileDialogRequest&) override { return gTable; }
    std::optional<fs::path> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    void processPendingMessages() override {}
    std::string error;
};

void BM_PlainRead(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(platform::readFileBytes(gFile));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

void BM_LookupNearEnd(benchmark::State& state) {
    for (auto _ : state) {
        const auto text = feeinput::DeclarationText::readFile(gFile.string());
        const auto found = feeinput::lookupCase(text, categoryOf(kTargetCase), kTargetCase + 1);
        if (!found.found()) state.SkipWithError("case not found");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

// The same lookup for a file that is read rather than mapped (a network or removable drive).
void BM_LookupNearEndRead(benchmark::State& state) {
    for (auto _ : state) {
        const auto text = feeinput::DeclarationText::fromFileBytes(feeinput::readCheckedFileBytes(gFile.string()));
        const auto found = feeinput::lookupCase(text, categoryOf(kTargetCase), kTargetCase + 1);
        if (!found.found()) state.SkipWithError("case not found");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

void BM_ImportScan(benchmark::State& state) {
    for (auto _ : state) {
        const auto text = feeinput::DeclarationText::readFile(gFile.string());
        const feeinput::CaseIndex index(text, kCategories);
        if (!index.find(categoryOf(kTargetCase), kTargetCase + 1).found()) state.SkipWithError("case not found");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

void BM_ImportSettingTable(benchmark::State& state) {
    TablePort port;
    workspace::Workspace ws(port, gTable.parent_path().string());
    for (auto _ : state) {
        ws.CimportFileClick();
        if (ws.cases().size() != kTableCases) state.SkipWithError("rows missing");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

void BM_DecodeWholeFile(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(feeinput::ReadAllText(gFile.string()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(gFile)));
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_LookupNearEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_LookupNearEndRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ImportScan)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ImportSettingTable)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_DecodeWholeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Prints the usual table and keeps each benchmark's time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.error_message.empty())
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

// Removes the temporary folder however the run ends.
struct TempFolder {
    fs::path path;
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    TempFolder folder{fs::temp_directory_path() / ("tessaro-bench-" + std::to_string(std::random_device{}()))};
    fs::create_directories(folder.path);
    gFile = folder.path / "declaration.xml";
    writeDeclaration(gFile);
    gTable = folder.path / "cases.txt";
    writeSettingTable(gTable, gFile);
    std::cout << "declaration: " << fs::file_size(gFile) / 1000000 << " MB, " << kCases << " cases" << std::endl;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto plain = reporter.times.lower_bound("BM_PlainRead");
    if (plain == reporter.times.end() || plain->first.rfind("BM_PlainRead", 0) != 0) return 0;
    for (const auto& [name, time] : reporter.times)
        if (name != plain->first)
            std::cout << name.substr(0, name.find('/')) << ": " << time / plain->second << "x plain read\n";
    return 0;
}
