// Reading and writing text files: encodings by byte-order mark, line splitting, saving in
// code page 950, and the error texts of failing reads and writes.
#include "feeinput/text_file.h"

#include "feeinput/text_decoding.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace tessaro::feeinput {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using tessaro::testing::readBytes;
using tessaro::testing::TempDir;

const std::string kName = "陳小明";
const std::string kNameBig5 = "\xb3\xaf\xa4\x70\xa9\xfa";

std::string errorOf(auto&& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

class TextFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file(const std::string& name, std::string_view bytes) const { return dir.write(name, bytes).string(); }
};

TEST_F(TextFileTest, LineBreakCombinations) {
    EXPECT_THAT(LoadFromFile(file("a", "a\r\nb\r\n")), ElementsAre("a", "b"));
    EXPECT_THAT(LoadFromFile(file("b", "a\n\nb")), ElementsAre("a", "", "b"));
    EXPECT_THAT(LoadFromFile(file("c", "a\rb")), ElementsAre("a", "b"));
    EXPECT_THAT(LoadFromFile(file("d", "a\n\rb")), ElementsAre("a", "", "b"));
    EXPECT_THAT(LoadFromFile(file("e", "a\r\r\nb\r")), ElementsAre("a", "", "b"));
    EXPECT_THAT(LoadFromFile(file("f", "\r\n")), ElementsAre(""));
    EXPECT_THAT(LoadFromFile(file("g", "no break")), ElementsAre("no break"));
    EXPECT_THAT(LoadFromFile(file("h", "")), IsEmpty());
    // Other control characters and blanks are kept.
    EXPECT_THAT(LoadFromFile(file("i", " a\t\x0c\r\n")), ElementsAre(" a\t\x0c"));
}

TEST_F(TextFileTest, ByteOrderMarks) {
    EXPECT_EQ(ReadAllText(file("u8", "\xEF\xBB\xBF" + kName + "\r\n")), kName + "\r\n");
    EXPECT_EQ(ReadAllText(file("le", std::string("\xFF\xFE\x73\x96\x0D\x00\x0A\x00x", 9))), "陳\r\n");
    EXPECT_EQ(ReadAllText(file("be", std::string("\xFE\xFF\x96\x73\x00\x41", 6))), "陳A");
    // A surrogate pair, then an unpaired surrogate.
    EXPECT_EQ(ReadAllText(file("sp", std::string("\xFF\xFE\x3D\xD8\x00\xDE\x00\xD8", 8))), "😀\uFFFD");
    // Only a mark: an empty text and no lines.
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        EXPECT_EQ(ReadAllText(file("m", mark)), "");
        EXPECT_THAT(LoadFromFile(file("m", mark)), IsEmpty());
    }
    EXPECT_EQ(ReadAllText(file("empty", "")), "");
}

TEST_F(TextFileTest, BomlessFilesAreBig5EvenWhenTheyHoldUtf8) {
    EXPECT_EQ(ReadAllText(file("big5", kNameBig5)), kName);
    const std::string misread = ReadAllText(file("utf8", kName));  // no error, wrong characters
    EXPECT_NE(misread, kName);
    EXPECT_FALSE(misread.empty());
    // An XML declaration does not change the encoding.
    EXPECT_EQ(ReadAllText(file("xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + kNameBig5)),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + kName);
}

TEST_F(TextFileTest, MalformedUtf8AfterMarkFails) {
    for (const std::string bad : {"\xC3\x28", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "ok\xE4\xB8"}) {
        const std::string path = file("bad", "\xEF\xBB\xBF" + bad);
        EXPECT_EQ(errorOf([&] { ReadAllText(path); }), kNoMappingText);
        EXPECT_EQ(errorOf([&] { LoadFromFile(path); }), kNoMappingText);
    }
}

TEST_F(TextFileTest, ReadAllTextPathChecksInOrder) {
    EXPECT_EQ(errorOf([] { ReadAllText(""); }), "Path is empty");
    EXPECT_EQ(errorOf([] { ReadAllText("   "); }), "Path is empty");
    EXPECT_EQ(errorOf([&] { ReadAllText((dir / "*.xml").string()); }), "Invalid characters in path");
    EXPECT_EQ(errorOf([&] { ReadAllText((dir / "missing" / "?.xml").string()); }), "Invalid characters in path");
    EXPECT_EQ(errorOf([&] { ReadAllText((dir / "missing" / "a.xml").string()); }), "The specified path was not found");
    EXPECT_EQ(errorOf([&] { ReadAllText((dir / "a.xml").string()); }), "The specified file was not found");
}

TEST_F(TextFileTest, CannotOpenNamesTheFullPath) {
    const auto folder = dir / "sub";
    std::filesystem::create_directories(folder);
    EXPECT_THAT(errorOf([&] { ReadAllText(folder.string()); }),
                HasSubstr("Cannot open file \"" + folder.string() + "\". "));
    // LoadFromFile has no checks beforehand: a missing file fails on opening.
    const auto missing = dir / "nope.txt";
    EXPECT_THAT(errorOf([&] { LoadFromFile(missing); }),
                HasSubstr("Cannot open file \"" + missing.string() + "\". No such file"));
}

TEST_F(TextFileTest, SavesCrLfBig5WithoutMark) {
    const auto path = dir / "out.txt";
    SaveToFile({"x", "y"}, path);
    EXPECT_EQ(readBytes(path), "x\r\ny\r\n");
    SaveToFile({}, path);
    EXPECT_EQ(readBytes(path), "");
    SaveToFile({kName, "한", ""}, path);
    EXPECT_EQ(readBytes(path), kNameBig5 + "\r\n?\r\n\r\n");
    EXPECT_THAT(LoadFromFile(path), ElementsAre(kName, "?", ""));
}

// The lossless save writes Big5 whenever Big5 holds every character exactly, and UTF-8 with
// its mark otherwise (a character beyond the BMP, one only a best fit maps), read back whole.
TEST_F(TextFileTest, LosslessSaveFallsBackToUtf8) {
    const auto path = dir / "out.txt";
    SaveToFileLossless({kName, "x"}, path);
    EXPECT_EQ(readBytes(path), kNameBig5 + "\r\nx\r\n");
    for (const char* line : {"𠀋", "😀", "한"}) {
        SaveToFileLossless({kName, line}, path);
        EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF" + kName + "\r\n" + line + "\r\n");
        EXPECT_THAT(LoadFromFile(path), ElementsAre(kName, line));
    }
}

TEST_F(TextFileTest, SaveIntoMissingFolderFails) {
    const auto path = dir / "missing" / "out.txt";
    EXPECT_THAT(errorOf([&] { SaveToFile({"x"}, path); }), HasSubstr("Cannot create file \"" + path.string() + "\". "));
}

}  // namespace
}  // namespace tessaro::feeinput
