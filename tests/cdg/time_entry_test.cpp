#include "cdg/time_entry.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

TEST(TimeEntry, AcceptsEveryWrittenForm) {
  for (const char* text : {"75", "1:15", "1m15s", "1:15,5", "-3", "12.", "1'15", "1\xC2\xB4" "15",
                           "1\xB4" "15", "0,25", ",5", "1:15s", "3-", ":"})
    EXPECT_TRUE(Is_Valid_Time(text)) << text;
}

TEST(TimeEntry, RejectsMisplacedMarksAndForeignCharacters) {
  for (const char* text : {"", "1:2:3", "1.5.2", "1,5:3", "1h", "1s2m", "--3", "-1-", " 5", "5 ",
                           "1:15,5s", "1,5,"})
    EXPECT_FALSE(Is_Valid_Time(text)) << '"' << text << '"';
}

TEST(TimeEntry, ParsesMinutesSecondsAndFraction) {
  struct Case {
    const char* text;
    double seconds;
  };
  for (Case c : {Case{"1:15", 75}, {"1:15,5", 75.5}, {"1:15.05", 75.05}, {"2.5", 2.5},
                 {"90", 90}, {"1m", 60}, {"-0:10", -10}, {"1:15s", 75}, {"0,25", 0.25},
                 {",5", 0.5}, {"3,125", 3.125}, {"1m15s", 75}, {"12.", 12},
                 {"1\xC2\xB4" "30", 90}, {"3-", 3}, {"1:-15", 75}, {"125:00", 7500},
                 {"0:90", 90}})
    EXPECT_NEAR(Parse_Time(c.text), c.seconds, 1e-9) << c.text;
}

TEST(TimeEntry, MinusCountsOnlyAtTheStartOfTheTrimmedText) {
  EXPECT_DOUBLE_EQ(Parse_Time("-3"), -3);
  EXPECT_DOUBLE_EQ(Parse_Time("  -3  "), -3);
  EXPECT_DOUBLE_EQ(Parse_Time("3-"), 3);
}

TEST(TimeEntry, LongFractionsStayFinite) {
  std::string text = "1," + std::string(400, '9');
  ASSERT_TRUE(Is_Valid_Time(text));
  EXPECT_NEAR(Parse_Time(text), 2, 1e-9);
}

}  // namespace
}  // namespace lyricanvas
