// What screen planning tells the user; the screens themselves are pinned by the golden outputs
// of created songs.
#include "cdg/screens.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

TEST(ScreenAssignment, LinesPastTheLastScreenAreLeftOutAndSaidOnce) {
  std::vector<testing::Song_Line> lines;
  for (int n = 0; n < 200; ++n) lines.insert(lines.end(), {{{{"Sing it", 5.0 + n, 5.5 + n}}}, {}});
  Song song;
  testing::Build_Song(song, lines);
  Layout_Text(song);
  testing::Recording_Ui recorder;
  auto run = std::make_unique<Creation_Run>();
  run->ui = recorder.ui();
  run->Lines_Per_Screen = 4;
  Assign_Lines_To_Screens(*run, song);
  EXPECT_EQ(run->Screen_Count, Max_Screens - 1);
  EXPECT_EQ(run->coloring_table[297].Screen_Of_Line, Max_Screens - 1);
  EXPECT_EQ(run->coloring_table[299].Screen_Of_Line, 0);
  EXPECT_EQ(run->coloring_table[399].Screen_Of_Line, 0);
  EXPECT_EQ(recorder.messages,
            std::vector<std::string>{"The lyrics need more than 149 screens. The lines from line "
                                     "299 on were left out of the CD+G data!"});
}

}  // namespace
}  // namespace lyricanvas
