// Fuzz target: checking an upload package (`tessaro-cli check`).
//
// The input is the package, saved under a package name of the naming rules. The checker
// must answer with its list of problems (or none) for any bytes: it unpacks into a scratch
// folder of its own and reads cabinets and the document it finds there.
#include "fuzz/fuzz_support.h"
#include "production/package_check.h"

using namespace tessaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fuzz::ScratchArea area;
    const auto path = area.write("3501200000_1151210_001.zip", fuzz::asText(data, size));
    const auto problems = production::checkPackage(path);
    for (const auto& problem : problems) FUZZ_CHECK(!problem.empty());
    return 0;
}
