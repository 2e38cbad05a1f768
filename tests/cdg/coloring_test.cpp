// What the coloring pass tells the user; the wipe timings themselves are pinned by the golden
// outputs of created songs.
#include "cdg/coloring.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Recording_Ui;

TEST(ColoringPass, NegativeCorrectedTimeIsReportedAndBecomesZero) {
  Recording_Ui recorder;
  auto run = std::make_unique<Creation_Run>();
  run->ui = recorder.ui();
  run->Settings.timebase_source[1] = 10;  // 10 s of the song fall on the track's start
  run->Settings.timebase_dest[1] = 0;
  coloring_line line;
  line.count = 2;
  line.points[1] = {10, 1.0, -1};
  line.points[2] = {11, 1.01, 0};
  Correct_Coloring_Line(*run, line);
  for (int j = 1; j <= line.count; ++j) EXPECT_GE(line.points[j].color_time, 0) << j;
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages[0],
            "Error #10: corrected time is smaller than 0.\r" + Error_Report_Request());
}

// A line stops at its capacity of points, lines past 500 are left out: each limit said once.
TEST(ColoringLimits, CrowdedLinesAndLinesPastFiveHundredAreReportedOnceEach) {
  Song song;
  std::vector<testing::Song_Line> lines(520);
  for (int n = 0; n < 520; ++n)
    lines[n].syllables = {{n < 2 ? "crowded" : "la", 1.0 + n, n < 2 ? 0 : 1.5 + n}};
  testing::Build_Song(song, lines);
  for (int line : {1, 2}) {
    std::string& events = song.Fields[line].Events;
    for (int k = 1; k <= 400; ++k) events += Encode_Event(1 + k * 249 / 400, 300 * line + 3 * k);
  }
  Layout_Text(song);
  Recording_Ui recorder;
  auto run = std::make_unique<Creation_Run>();
  run->ui = recorder.ui();
  build_coloring_table(*run, song);
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_NE(recorder.messages[0].find("520"), std::string::npos);
  EXPECT_NE(recorder.messages[1].find("Line(s) 1, 2 hold"), std::string::npos);
  EXPECT_DOUBLE_EQ(run->coloring_table[500].points[1].color_time, 500 * 300);
  EXPECT_EQ(run->last_color_pack, std::llrint(500.5 * 300));
}

TEST(SortFields, OrdersByFirstCharDropsEmptyRecordsAndWarnsOnce) {
  Song song;
  song.RTB_Raw.Set_Text("one two three");
  Recording_Ui recorder;
  const std::string e = Encode_Event(1, 30);
  song.Field_Count = 6;
  song.Fields[1] = {9, 13, e};
  song.Fields[2] = {};  // empty record
  song.Fields[3] = {1, 3, e};
  song.Fields[4] = {5, 7, "old"};
  song.Fields[5] = {5, 7, "new"};  // same first character: replaces field 4
  song.Fields[6] = {1, 2, e};      // a second overlap: still one warning
  sort_fields(song, recorder.ui());
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Warning! Overlapping fields!"});
  ASSERT_EQ(song.Field_Count, 3);
  EXPECT_EQ(song.Fields[1], (Field_Rec{1, 2, e}));
  EXPECT_EQ(song.Fields[2], (Field_Rec{5, 7, "new"}));
  EXPECT_EQ(song.Fields[3], (Field_Rec{9, 13, e}));
  EXPECT_TRUE(Is_Empty(song.Fields[4]));
}

}  // namespace
}  // namespace lyricanvas
