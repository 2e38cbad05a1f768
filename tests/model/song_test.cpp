#include "model/song.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace lyricanvas {
namespace {

TEST(EventStrings, AFieldWithoutEventsHasNoTime) {
  Song song;
  song.Field_Count = 1;
  song.Fields[1] = {1, 3, ""};
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
