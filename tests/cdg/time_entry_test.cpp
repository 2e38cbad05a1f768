#include "cdg/time_entry.h"

#include <gtest/gtest.h>

namespace lyricanvas {
namespace {

const std::string Long_Fraction = "1," + std::string(400, '9');

// Both acute accents (UTF-8 and the single Latin-1 byte) mark seconds like an apostrophe.
TEST(TimeEntry, AcceptsEveryWrittenFormAndRejectsMisplacedMarks) {
  for (const std::string text :
       {"75", "1:15", "1m15s", "1:15,5", "-3", "12.", "1'15", "1\302\26415", "1\26415", "0,25",
        ",5", "1:15s", "3-", ":", Long_Fraction.c_str()})
    EXPECT_TRUE(Is_Valid_Time(text)) << text;
  for (const char* text :
       {"", "1:2:3", "1.5.2", "1,5:3", "1h", "1s2m", "--3", "-1-", " 5", "5 ", "1:15,5s", "1,5,"})
    EXPECT_FALSE(Is_Valid_Time(text)) << '"' << text << '"';
}

// A minus counts only at the start of the trimmed text; a long fraction stays finite.
TEST(TimeEntry, ParsesMinutesSecondsAndFraction) {
  struct Case {
    std::string text;
    double seconds;
  };
  for (const Case& c : {Case{"1:15", 75},  {"1:15,5", 75.5},    {"1:15.05", 75.05}, {"2.5", 2.5},
                        {"90", 90},        {"1m", 60},          {"-0:10", -10},     {"1:15s", 75},
                        {"0,25", 0.25},    {",5", 0.5},         {"3,125", 3.125},   {"1m15s", 75},
                        {"12.", 12},       {"1\302\26430", 90}, {"3-", 3},          {"1:-15", 75},
                        {"125:00", 7500},  {"0:90", 90},        {"-3", -3},         {"  -3  ", -3},
                        {Long_Fraction, 2}})
    EXPECT_NEAR(Parse_Time(c.text), c.seconds, 1e-9) << c.text;
}

}  // namespace
}  // namespace lyricanvas
