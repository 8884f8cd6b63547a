// Fuzz target: reading a cabinet file, as the package checker and `tessaro-cli list` read
// the cabinets of a package.
//
// The input is the cabinet. Its directory is read, then every file is extracted in one pass
// per folder into a sink that refuses more than the file's own size, and once more one by
// one. The total decoded in a pass must stay within what the cabinet's data blocks can hold
// (32 KiB of output per block at most).
#include "archives/cab/cabinet_reader.h"
#include "fuzz/fuzz_support.h"

#include <map>
#include <memory>

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchArea area;
    const auto path = area.write("input.cab", fuzz::asText(data, size));
    fuzz::expectingErrors([&] {
        archives::cab::CabinetReader reader(path);
        std::uint64_t blocks = 0;
        for (const auto& folder : reader.folders()) blocks += folder.dataBlockCount;

        std::map<const archives::cab::CabEntry*, std::unique_ptr<fuzz::BoundedSink>> sinks;
        fuzz::expectingErrors([&] {
            reader.extractAll([&](const archives::cab::CabEntry& entry) -> archives::ByteSink* {
                auto& sink = sinks[&entry];
                sink = std::make_unique<fuzz::BoundedSink>(entry.size);
                return sink.get();
            });
        });
        std::uint64_t decoded = 0;
        for (const auto& [entry, sink] : sinks) decoded += sink->count();
        FUZZ_CHECK(decoded <= blocks * 32768);

        for (size_t i = 0; i < reader.entries().size() && i < 64; ++i) {
            fuzz::BoundedSink sink(reader.entries()[i].size);
            fuzz::expectingErrors([&] { reader.extract(i, sink); });
        }
    });
    return 0;
}
