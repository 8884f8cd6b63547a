// Test-only: sample inputs and ZIP archives made from them by independent archivers (7zz,
// Info-ZIP zip, Python's zipfile), to check our decoders against them.
#pragma once

#include "tests/archives/support/raw_entries.h"
#include "tests/support/peer_tools.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>

namespace tessaro::testing {

// Runs a shell command in `folder`; true when it succeeded.
inline bool runIn(const std::filesystem::path& folder, const std::string& command) {
    return std::system(("(cd '" + folder.string() + "' && " + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// Text, structured binary, random and one-byte inputs in dir/in, deterministic.
inline std::map<std::string, std::string> writeSampleInputs(const TempDir& dir) {
    std::mt19937 random(20240611);
    std::map<std::string, std::string> files;
    const char* words[] = {"claim", "record", "hospital", "sampling", "review", "the", "of", "and", "2024", "\n"};
    std::string text;
    while (text.size() < 300000) text += std::string(words[random() % 10]) + ' ';
    files["text.txt"] = text;
    std::string binary;
    for (std::uint32_t i = 0; binary.size() < 200000; ++i) {
        const std::uint32_t v = (i * 2654435761u) >> (i % 13 == 0 ? 3 : 20);
        binary.append(reinterpret_cast<const char*>(&v), 4);
        if (i % 97 == 0) binary.append(std::string(i % 300, static_cast<char>(i)));
    }
    files["binary.bin"] = binary;
    std::string noise(120000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    files["random.bin"] = noise;
    files["tiny.txt"] = "x";
    for (const auto& [name, bytes] : files) dir.write("in/" + name, bytes);
    return files;
}

// Decodes every entry of the archive and compares it with the input of the same name;
// returns how many entries were compressed (method other than 0).
inline int expectEntriesMatch(const std::filesystem::path& archive, const std::map<std::string, std::string>& files) {
    SCOPED_TRACE(archive.string() + " of " + std::to_string(std::filesystem::file_size(archive)) + " bytes");
    const RawZip zip(archive.string());
    int compressed = 0;
    for (const auto& entry : zip.entries()) {
        SCOPED_TRACE(archive.filename().string() + ": " + entry.name);
        const auto bytes = decodeToMemory(entry.coding, zip.data(entry));
        const auto expected = files.find(entry.name);
        if (expected == files.end()) {
            ADD_FAILURE() << "unexpected entry";
            continue;
        }
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected->second);
        EXPECT_EQ(crcOf(bytes), entry.crc);
        if (entry.coding.method != 0) ++compressed;
    }
    return compressed;
}

}  // namespace tessaro::testing
