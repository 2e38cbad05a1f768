#include "model/song.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

TEST(EventStrings, TimeDigitsCoverZeroToTheLargestTimeAndFieldTimesReadThem) {
  EXPECT_EQ(Encode_Event(1, 0), std::string("\x01\x01\x01\x01", 4));
  std::string largest = Encode_Event(1, Max_Event_Time);
  EXPECT_EQ(largest.substr(1), std::string(3, static_cast<char>(250)));
  EXPECT_EQ(Event_Time_Packs(largest, 1), Max_Event_Time);
  // 62 500 + 250 + 1 units: one of each digit.
  EXPECT_EQ(Event_Time_Packs(Encode_Event(5, 62751), 1), 62751);
  // Event -1 is the last one.
  Song song;
  song.Field_Count = 1;
  song.Fields[1] = {1, 3, Encode_Event(1, 300) + Encode_Event(100, 600) + Encode_Event(250, 900)};
  EXPECT_DOUBLE_EQ(Field_Time(song, 1, -1), 3.0);
  EXPECT_DOUBLE_EQ(Field_Time(song, 1, 2), 2.0);
  EXPECT_DOUBLE_EQ(Field_Time(song, 0, 1), -1);
  EXPECT_DOUBLE_EQ(Event_Position(song, 1, 1), 0.0);
  EXPECT_DOUBLE_EQ(Event_Position(song, 1, 3), 249.0 / 250.0);
  song.Fields[1].Events.clear();
  EXPECT_DOUBLE_EQ(Field_Time(song, 1, 1), -1);
}

TEST(Singers, EachSingersWipeChangesBodyAndOutlineByTheSameBit) {
  const Song song;
  for (int s = 0; s < Singer_Count; ++s) {
    EXPECT_EQ(song.Singers[s].Unwiped_Body ^ song.Singers[s].Wiped_Body, 2) << s;
    EXPECT_EQ(song.Singers[s].Unwiped_Outline ^ song.Singers[s].Wiped_Outline, 2) << s;
  }
}

TEST(FileExists, AnEmptyNameIsSilentAndAMissingFolderIsReportedAsAVolume) {
  testing::Recording_Ui rec;
  Ui ui = rec.ui();
  EXPECT_FALSE(File_Exists(ui, ""));
  EXPECT_FALSE(File_Exists(ui, "/no-such-volume-here/x.wav"));
  EXPECT_EQ(rec.messages, std::vector<std::string>{"Volume for '/no-such-volume-here/x.wav' does "
                                                   "not contain any media or does not exist!"});
}

}  // namespace
}  // namespace lyricanvas
