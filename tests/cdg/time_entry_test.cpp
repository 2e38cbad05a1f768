#include "cdg/time_entry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lyricanvas {
namespace {

// Each valid text with its seconds, each invalid one with NaN. Both acute accents (UTF-8 and
// the single Latin-1 byte) mark seconds like an apostrophe; a minus counts only at the start; a
// long fraction stays finite.
TEST(TimeEntry, ParsesEveryWrittenFormAndRejectsMisplacedMarks) {
  const double no = std::nan("");
  const std::string long_fraction = "1," + std::string(400, '9');
  const std::pair<std::string, double> cases[] = {
      {"75", 75},          {"1:15", 75},       {"1m15s", 75},  {"1:15,5", 75.5},
      {"1:15.05", 75.05},  {"2.5", 2.5},       {"1m", 60},     {"-0:10", -10},
      {"-3", -3},          {"3-", 3},          {"12.", 12},    {"1'15", 75},
      {"1\302\26415", 75}, {"1\26415", 75},    {"0,25", 0.25}, {",5", 0.5},
      {"3,125", 3.125},    {"1:15s", 75},      {":", 0},       {"125:00", 7500},
      {"0:90", 90},        {long_fraction, 2}, {"", no},       {"1:2:3", no},
      {"1.5.2", no},       {"1,5:3", no},      {"1h", no},     {"1s2m", no},
      {"--3", no},         {"-1-", no},        {" 5", no},     {"5 ", no},
      {"1:15,5s", no},     {"1,5,", no}};
  for (const auto& [text, seconds] : cases) {
    EXPECT_EQ(Is_Valid_Time(text), !std::isnan(seconds)) << '"' << text << '"';
    if (!std::isnan(seconds)) EXPECT_NEAR(Parse_Time(text), seconds, 1e-9) << text;
  }
}

}  // namespace
}  // namespace lyricanvas
