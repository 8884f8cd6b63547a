// Reading and writing attachment texts.
#include "app/workspace/attachment_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessaro::workspace {

void PrintTo(const AttachmentEntry& entry, std::ostream* os) {
    *os << "{" << entry.kind << ", " << entry.contentClass << ", " << entry.file << "}";
}

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kA = "A:病歷本文", kB = "B:影像報告", kC = "C:非影像報告", kD = "D:其他書類";

TEST(AttachmentText, ReadsTheGroupsInKindOrder) {
    EXPECT_THAT(parseAttachmentText("<DCF>(B)D:\\chart001\\DICOMDIR<ATT>(A)D:\\chart1.pdf(B)D:\\chart2.pdf"
                                    "<EMR>(A)d:\\chart3.XML"),
                ElementsAre(AttachmentEntry{"DCF", kB, "D:\\chart001\\DICOMDIR"},
                            AttachmentEntry{"ATT", kA, "D:\\chart1.pdf"}, AttachmentEntry{"ATT", kB, "D:\\chart2.pdf"},
                            AttachmentEntry{"EMR", kA, "d:\\chart3.XML"}));
    // Groups may stand in any order; the DCF entries still come first, and a rebuild writes
    // the DCF group first.
    const auto entries = parseAttachmentText("<EMR>(A)d:\\chart3.XML<DCF>(B)D:\\chart001\\DICOMDIR");
    EXPECT_THAT(entries, ElementsAre(AttachmentEntry{"DCF", kB, "D:\\chart001\\DICOMDIR"},
                                     AttachmentEntry{"EMR", kA, "d:\\chart3.XML"}));
    EXPECT_EQ(buildAttachmentText(entries), "<DCF>(B)D:\\chart001\\DICOMDIR<EMR>(A)d:\\chart3.XML");
    // Text before the first tag is ignored.
    EXPECT_THAT(parseAttachmentText("(C)x.pdf<ATT>(D)y.pdf"), ElementsAre(AttachmentEntry{"ATT", kD, "y.pdf"}));
}

TEST(AttachmentText, TextOutsideTheGrammar) {
    EXPECT_THAT(parseAttachmentText(""), IsEmpty());
    EXPECT_THAT(parseAttachmentText("(A)D:\\x.pdf"), IsEmpty());
    EXPECT_THAT(parseAttachmentText("<att>(A)D:\\x.pdf<Emr>(B)y.xml"), IsEmpty());  // lower-case tags

    // A second tag of the group's own kind stays in the text.
    EXPECT_THAT(parseAttachmentText("<ATT>(A)a.pdf<ATT>(B)b.pdf"),
                ElementsAre(AttachmentEntry{"ATT", kA, "a.pdf<ATT>"}, AttachmentEntry{"ATT", kB, "b.pdf"}));
    // ATT, EMR, ATT again: the EMR group runs to the end and takes the second ATT group.
    EXPECT_THAT(parseAttachmentText("<ATT>(A)a.pdf<EMR>(B)e.xml<ATT>(C)c.pdf"),
                ElementsAre(AttachmentEntry{"ATT", kA, "a.pdf"}, AttachmentEntry{"EMR", kB, "e.xml<ATT>"},
                            AttachmentEntry{"EMR", kC, "c.pdf"}));
    // A missing opening parenthesis on the first entry; a class without a path; pieces
    // without a class.
    EXPECT_THAT(parseAttachmentText("<ATT>A)D:\\x.pdf(C)"),
                ElementsAre(AttachmentEntry{"ATT", kA, "D:\\x.pdf"}, AttachmentEntry{"ATT", kC, ""}));
    EXPECT_THAT(parseAttachmentText("<ATT>x.pdf()(A("), IsEmpty());
    // At a group's start, class letters are characters, not bytes; anything but A to D gives
    // class A.
    EXPECT_THAT(parseAttachmentText("<DCF>(b)x<ATT>(Z)y<EMR>(中)z"),
                ElementsAre(AttachmentEntry{"DCF", kA, "x"}, AttachmentEntry{"ATT", kA, "y"},
                            AttachmentEntry{"EMR", kA, "z"}));
}

// A path runs to the next "(" + A to D + ")": every other parenthesis, comma, quote, blank,
// "<" and ">" is part of it, and a path holding a marker is one the window refuses.
TEST(AttachmentText, PathsRunToTheNextEntry) {
    const struct {
        std::string text;
        std::vector<AttachmentEntry> entries;
    } cases[] = {
        {"<ATT>(A)D:\\scan (1).pdf", {{"ATT", kA, "D:\\scan (1).pdf"}}},
        {"<ATT>(B)x(b)(Z)(AB)( A)(1).pdf(C)y", {{"ATT", kB, "x(b)(Z)(AB)( A)(1).pdf"}, {"ATT", kC, "y"}}},
        {"<ATT>(A)a(((B)b((C))", {{"ATT", kA, "a(("}, {"ATT", kB, "b("}, {"ATT", kC, ")"}}},
        {"<EMR>(D)\"q\", <x> >,.xml<ATT", {{"EMR", kD, "\"q\", <x> >,.xml<ATT"}}},
        {"<DCF>(A)(D)", {{"DCF", kA, ""}, {"DCF", kD, ""}}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseAttachmentText(c.text), c.entries) << c.text;

    for (const char* path : {"x (A).pdf", "(D)", "a<ATT>b", "<EMR>", "<DCF>"})
        EXPECT_TRUE(holdsAttachmentMarker(path)) << path;
    for (const char* path : {"scan (1).pdf", "(a)(AB)(A", "<ATT", "<att>", "A)"})
        EXPECT_FALSE(holdsAttachmentMarker(path)) << path;
}

TEST(AttachmentText, RebuildOrderAndOmissions) {
    const std::vector<AttachmentEntry> rows = {{"EMR", kA, "e1.xml"}, {"ATT", kC, "a1.pdf"}, {"DCF", kD, "DICOMDIR"},
                                               {"ATT", kB, ""},       {"ATT", kA, "a2.pdf"}, {"EMR", kB, "e2.xml"}};
    EXPECT_EQ(buildAttachmentText(rows), "<DCF>(D)DICOMDIR<ATT>(C)a1.pdf(A)a2.pdf<EMR>(A)e1.xml(B)e2.xml");
    EXPECT_EQ(buildAttachmentText({{"ATT", kC, ""}}), "");
    EXPECT_EQ(buildAttachmentText({}), "");
    // A lower-case class letter read as class A is written back as (A).
    EXPECT_EQ(buildAttachmentText(parseAttachmentText("<ATT>(b)x.pdf")), "<ATT>(A)x.pdf");
}

TEST(AttachmentText, ClassLetters) {
    EXPECT_EQ(charToContent("A"), kA);
    EXPECT_EQ(charToContent("B"), kB);
    EXPECT_EQ(charToContent("C"), kC);
    EXPECT_EQ(charToContent("D"), kD);
    for (const char* other : {"a", "d", "E", "1", "", "中"}) EXPECT_EQ(charToContent(other), kA) << other;
    EXPECT_EQ(fileFilterFor("att"), std::nullopt);
}

}  // namespace
}  // namespace tessaro::workspace
