#include "production/roc_dates.h"

#include "tests/support/recording_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaro::production {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kSuffix = " 不能轉換成民國日期單位(YYYMMDD)";

TEST(IsValidDateTime, RangeBounds) {
    EXPECT_TRUE(IsValidDateTime(-657434.0));
    EXPECT_FALSE(IsValidDateTime(std::nextafter(-657434.0, -1e9)));
    EXPECT_TRUE(IsValidDateTime(std::nextafter(2958466.0, 0.0)));
    EXPECT_FALSE(IsValidDateTime(2958466.0));
    EXPECT_FALSE(IsValidDateTime(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(IsValidDateTime(std::numeric_limits<double>::infinity()));
}

TEST(DateTimeValues, KnownDays) {
    EXPECT_EQ(dateOf(0), (CivilDate{1899, 12, 30}));
    EXPECT_EQ(dateOf(-657434.0), (CivilDate{100, 1, 1}));
    EXPECT_EQ(dateOf(2958465.9), (CivilDate{9999, 12, 31}));
    EXPECT_EQ(dateTimeOf({2024, 10, 31}), 45596.0);  // as a spreadsheet serial date
    // Negative values: the integer part is the day, the fraction the time of that day.
    EXPECT_EQ(dateOf(-1.75), (CivilDate{1899, 12, 29}));
    EXPECT_EQ(dateOf(-0.5), (CivilDate{1899, 12, 30}));
}

TEST(DateTimeToStr7, FormatsRocYears) {
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({2024, 10, 31}) + 0.64), "1131031");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({2024, 10, 31}) + 0.99999), "1131031");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({1911, 1, 1})), "0000101");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({2010, 2, 28})), "0990228");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({2911, 5, 6})), "10000506");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({1910, 12, 31})), "-011231");
    EXPECT_EQ(DateTimeToStr7(dateTimeOf({1899, 1, 2})), "-120102");
    EXPECT_EQ(DateTimeToStr7(0), "-121230");
    EXPECT_EQ(DateTimeToStr7(-657434.0), "-18110101");
    EXPECT_EQ(DateTimeToStr7(-700000.0), "");
    EXPECT_EQ(DateTimeToStr7(2958466.0), "");
}

struct Str7Case {
    const char* text;
    CivilDate date;
};

TEST(Str7toDate, ValidDatesAroundLeapYears) {
    const Str7Case cases[] = {
        {"1131031", {2024, 10, 31}}, {"0890229", {2000, 2, 29}}, {"1130229", {2024, 2, 29}},
        {"0000101", {1911, 1, 1}},   {"113ab01", {2024, 1, 1}},  {"11312xy", {2024, 12, 1}},
        {"abc0101", {1911, 1, 1}},   {"-010101", {1910, 1, 1}},  {" 990101", {2010, 1, 1}},
        {"+010101", {1912, 1, 1}},   {"1130 01", {2024, 1, 1}},  {"113 1 1", {2024, 1, 1}},
    };
    for (const auto& c : cases) {
        testing::RecordingPort port;
        EXPECT_EQ(str7toDate(c.text, port), dateTimeOf(c.date)) << c.text;
        EXPECT_THAT(port.messages, IsEmpty()) << c.text;
    }
}

TEST(Str7toDate, ImpossibleDatesAreReported) {
    // 1911 and 1900 (ROC -11) are no leap years; month 13; day 0; a negative month; day 31 of a 30-day month.
    for (const char* text : {"0000229", "-110229", "1131301", "1130100", "113-101", "1130431", "11302-1", "1130001"}) {
        testing::RecordingPort port;
        EXPECT_EQ(str7toDate(text, port), 0) << text;
        EXPECT_THAT(port.messages, ElementsAre(text + kSuffix));
    }
}

TEST(IsRocDate, SevenDigitsThatMakeADay) {
    for (const char* text : {"1131031", "0890229", "1130229", "0000101", "9991231"}) EXPECT_TRUE(isRocDate(text)) << text;
    for (const char* text : {"113ab01", "-010101", " 990101", "+010101", "0000229", "1131301", "1130431", "1130100", "",
                             "113103", "11310311", "20241015", "\xEF\xBC\x91" "131031"})
        EXPECT_FALSE(isRocDate(text)) << text;
    for (const char* text : {"11309", "00101", "11312"}) EXPECT_TRUE(isRocYearMonth(text)) << text;
    for (const char* text : {"11313", "11300", "abc", "1130", "113091", " 1130", "1130a"}) EXPECT_FALSE(isRocYearMonth(text)) << text;
}

TEST(Str7toDate, WrongLengthGivesZeroSilently) {
    for (const char* text : {"", "11310", "11310311", "1131031 "}) {
        testing::RecordingPort port;
        EXPECT_EQ(str7toDate(text, port), 0) << text;
        EXPECT_THAT(port.messages, IsEmpty());
    }
}

TEST(Str7toDate, CountsCharactersNotBytes) {
    testing::RecordingPort port;
    // Seven characters, three of them Chinese: the year falls back to 1911, month and day read.
    EXPECT_EQ(str7toDate("一一一0229", port), 0);
    EXPECT_THAT(port.messages, ElementsAre(std::string("一一一0229") + kSuffix));
    EXPECT_EQ(str7toDate("民國一0101", port), dateTimeOf({1911, 1, 1}));
}

TEST(Now, IsATimeOfToday) {
    const DateTime t = now();
    EXPECT_TRUE(IsValidDateTime(t));
    EXPECT_GT(t, dateTimeOf({2020, 1, 1}));
    EXPECT_EQ(DateTimeToStr7(t).size(), 7u);
}

}  // namespace
}  // namespace tessaro::production
