// The name a found file is stored under.
#pragma once

#include <string>
#include <string_view>

namespace tessaro::archives {

// StoreOptions bits (bit i = option i).
enum TStoreOption : unsigned {
    soStripDrive = 1u << 0,  // always in force for ZIP archives
    soStripPath = 1u << 1,
    soRemoveDots = 1u << 2,
    soRecurse = 1u << 3,
    soFreshen = 1u << 4,
    soReplace = 1u << 5,
};

namespace zip {

// The stored name of a file recorded as `recordedPath`: the drive or share prefix and any
// leading separator removed; with soStripPath only the last component; with soRemoveDots
// leading "..\" groups removed; separators written as "/".
std::string storedNameFor(std::string_view recordedPath, unsigned storeOptions);

}  // namespace zip
}  // namespace tessaro::archives
