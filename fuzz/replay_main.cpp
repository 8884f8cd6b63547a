// Runs a fuzz target over saved inputs, for builds without libFuzzer.
//
// Each argument is a file or a folder of files (taken in name order). The normal test suite
// replays every target's seeds and every input that once revealed a fault this way, so those
// faults stay mended in every build; the fuzzing build runs the same inputs through libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path argument = argv[i];
        if (!std::filesystem::is_directory(argument)) {
            replay(argument);
            ++count;
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& item : std::filesystem::directory_iterator(argument))
            if (item.is_regular_file()) files.push_back(item.path());
        std::sort(files.begin(), files.end());
        for (const auto& file : files) replay(file);
        count += files.size();
    }
    std::printf("%zu inputs replayed\n", count);
    return 0;
}
