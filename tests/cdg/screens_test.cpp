#include "cdg/screens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cdg/coloring.h"
#include "cdg/interpreter.h"
#include "cdg/line_drawing.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Build_Song;
using testing::Recording_Ui;
using testing::Song_Line;

/// A lyrics line wiped from start to end seconds; an empty line when start is negative.
Song_Line Timed(double start, double end = 0) {
  if (start < 0) return Song_Line{};
  return Song_Line{{{"Sing it now", start, end > 0 ? end : start + 1}}, 1};
}
const Song_Line Blank = Song_Line{};

struct Screens : ::testing::Test {
  Song song;
  Creation_Run run;
  Recording_Ui recorder;
  Surface work = Make_Work_Picture();
  std::vector<std::int64_t> wipe_slots;  ///< slots holding wipe packs before any screen

  void Make_Song(const std::vector<Song_Line>& lines, int lines_per_screen = 4) {
    Build_Song(song, lines);
    Layout_Text(song);
    run.ui = recorder.ui();
    run.Lines_Per_Screen = lines_per_screen;
    run.Settings.Minimum_Gap = 4;
    run.Settings.Minimum_Shown = 4;
    run.Settings.Fading_Style = "Cheap DVD fading";
    run.Settings.Wiping_Style = "Swipe text body only";
    run.Fade_Packs = 300;
    run.Line_Y_Offset = 8;
    run.Total_Time = 30;
    run.Work_Palette = song.Palette;
    run.Pack_Buffer.Resize(static_cast<std::int64_t>((run.Total_Time + 20) * Packs_Per_Second));
    // Each timed line is wiped in four even steps from its left to its right end.
    for (int n = 1; n <= Line_Count(song); ++n) {
      coloring_line& rec = run.coloring_table[static_cast<std::size_t>(n)];
      rec.text = Line_Text(song, n);
      const std::size_t i = static_cast<std::size_t>(n - 1);
      if (i >= lines.size() || lines[i].syllables.empty()) continue;
      const double start = lines[i].syllables[0].start * Packs_Per_Second;
      const double end = lines[i].syllables[0].end * Packs_Per_Second;
      const int left = Line_X(song, n);
      const int width = song.Line_End_X[static_cast<std::size_t>(n)] - left;
      rec.count = 5;
      for (int k = 0; k <= 4; ++k)
        rec.points[static_cast<std::size_t>(k + 1)] = {
            left + width * k / 4, start + (end - start) * k / 4, k == 0 ? -1 : 0};
      run.last_color_pack = std::max(run.last_color_pack, static_cast<std::int64_t>(end));
    }
  }

  void Assign_And_Wipe() {
    Assign_Lines_To_Screens(run, song);
    for (int n = 1; n <= Line_Count(song); ++n) Prepare_Wipe_Packs(run, song, work, n);
    wipe_slots = Occupied(0, run.Pack_Buffer.Size());
  }

  void Build_All() {
    Assign_And_Wipe();
    for (int s = 1; s <= run.Screen_Count + 1; ++s) Create_Screen(run, song, work, s);
  }

  const coloring_line& Rec(int line) const {
    return run.coloring_table[static_cast<std::size_t>(line)];
  }

  std::vector<std::int64_t> Occupied(std::int64_t from, std::int64_t to) const {
    std::vector<std::int64_t> taken;
    for (std::int64_t s = from; s < to; ++s)
      if (run.Pack_Buffer.Occupied(s)) taken.push_back(s);
    return taken;
  }

  int Instruction(std::int64_t slot) const {
    return run.Pack_Buffer.Occupied(slot) ? run.Pack_Buffer.At(slot)[1] : -1;
  }

  /// What a decoder shows after the packs of slots 0 .. end - 1.
  Screen_Pixels Decoded_Until(std::int64_t end) const {
    Screen_Pixels screen;
    for (std::int64_t s : Occupied(0, end)) Apply_Pack(screen, run.Pack_Buffer.At(s));
    return screen;
  }

  /// The given lines drawn unwiped into their slots of an empty screen.
  Screen_Pixels Expected_Screen(const std::vector<std::pair<int, int>>& line_slots) {
    Creation_Run fresh;
    fresh.Lines_Per_Screen = run.Lines_Per_Screen;
    fresh.Line_Y_Offset = run.Line_Y_Offset;
    for (auto [line, slot] : line_slots) Write_Line(fresh, song, work, line, slot, false);
    return fresh.Target_Screen;
  }

  int Log_Count(const std::string& prefix) const {
    return static_cast<int>(
        std::count_if(recorder.log.begin(), recorder.log.end(),
                      [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
  }
};

// Lines fill screens from the top; blank lines end a screen, a short screen sits at the bottom
// (its positions still counted from the top), a picture line joins a screen without a slot.
TEST(ScreenAssignment, LinesGoToScreensAndSlots) {
  struct Place { int line, screen, slot; };
  struct Case {
    const char* name;
    std::vector<double> starts;  ///< negative: a blank line
    int lines_per_screen, picture_line;
    std::vector<int> line_counts;  ///< of screens 1, 2, ...; the count of screens is its size
    std::vector<Place> places;
  };
  const Case cases[] = {
      {"eight lines on four-line screens", {5, 6, 7, 8, 9, 10, 11, 12}, 4, 0, {4, 4},
       {{1, 1, 1}, {4, 1, 4}, {5, 2, 1}, {8, 2, 4}}},
      {"blank lines", {5, 6, 7, -1, 9, 10, 11, 12, -1, -1, 20}, 4, 0, {3, 4, 0, 1},
       {{1, 1, 2}, {3, 1, 4}, {4, 0, 0}, {5, 2, 1}, {11, 4, 4}}},
      {"a picture line", {5, 6, 7}, 4, 2, {2}, {{2, 1, 0}, {3, 1, 4}}},
      {"no lines per screen", {5, 6}, 0, 0, {1, 1}, {{2, 2, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Song song;
    std::vector<Song_Line> lines;
    for (double start : c.starts) lines.push_back(Timed(start));
    Build_Song(song, lines);
    Layout_Text(song);
    Creation_Run run;
    run.Lines_Per_Screen = c.lines_per_screen;
    if (c.picture_line) run.coloring_table[static_cast<std::size_t>(c.picture_line)].picture = "<filename=sunset.bmp>";
    Assign_Lines_To_Screens(run, song);
    ASSERT_EQ(run.Screen_Count, static_cast<int>(c.line_counts.size()));
    for (std::size_t k = 0; k < c.line_counts.size(); ++k)
      EXPECT_EQ(run.Screen_Line_Count[k + 1], c.line_counts[k]) << "screen " << k + 1;
    EXPECT_EQ(run.Screen_Line_Count[c.line_counts.size() + 1], 0);
    for (Place p : c.places) {
      const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(p.line)];
      EXPECT_EQ(rec.Screen_Of_Line, p.screen) << "line " << p.line;
      EXPECT_EQ(rec.Slot_Of_Line, p.slot) << "line " << p.line;
    }
    // The screen table lists each screen's lines with a slot in order, from the top.
    for (int screen = 1; screen <= run.Screen_Count; ++screen) {
      int listed = 0;
      for (int n = 1; n <= static_cast<int>(c.starts.size()); ++n)
        if (const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(n)];
            rec.Screen_Of_Line == screen && rec.Slot_Of_Line > 0) {
          EXPECT_EQ(run.Screen_Lines[static_cast<std::size_t>(screen)][static_cast<std::size_t>(++listed)], n);
        }
    }
  }
}

TEST_F(Screens, ScreenTableOverflowLeavesLinesOutAndSaysSoOnce) {
  std::vector<Song_Line> lines;
  for (int n = 0; n < 200; ++n) {
    lines.push_back(Timed(5 + n));
    lines.push_back(Blank);
  }
  Make_Song(lines);
  Assign_Lines_To_Screens(run, song);
  EXPECT_EQ(run.Screen_Count, Max_Screens - 1);
  EXPECT_EQ(run.Screen_Line_Count[Max_Screens], 0);
  EXPECT_EQ(Rec(297).Screen_Of_Line, Max_Screens - 1);
  EXPECT_EQ(Rec(299).Screen_Of_Line, 0);
  EXPECT_EQ(Rec(399).Screen_Of_Line, 0);
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_NE(recorder.messages[0].find("line 299"), std::string::npos);
}

TEST_F(Screens, FirstScreenIsSetUpAtSlot300) {
  Make_Song({Timed(5), Timed(6), Timed(7)});
  Assign_And_Wipe();
  Create_Screen(run, song, work, 1);
  EXPECT_EQ(Instruction(300), Border_Preset);
  EXPECT_EQ(Instruction(301), Define_Transparent);
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(Instruction(302 + k), Memory_Preset);
    EXPECT_EQ(run.Pack_Buffer.At(302 + k)[5], k);
  }
  EXPECT_EQ(Instruction(318), Load_Colors_Low);
  EXPECT_EQ(Instruction(319), Load_Colors_High);
  EXPECT_TRUE(Occupied(0, 300).empty());
  EXPECT_EQ(run.Screen_End_Mark, run.Pack_Pointer);
  EXPECT_EQ(Decoded_Until(run.Pack_Pointer), Expected_Screen({{1, 2}, {2, 3}, {3, 4}}));
  EXPECT_EQ(Log_Count("Starting to create screen # 1"), 1);
  EXPECT_EQ(Log_Count("Hard screen change performed at 1"), 1);
}

TEST_F(Screens, LongPauseFadesOutAndClearsBeforeTheNextScreen) {
  std::vector<Song_Line> lines;
  for (int n = 0; n < 4; ++n) lines.push_back(Timed(5 + n));
  for (int n = 0; n < 4; ++n) lines.push_back(Timed(20 + n));
  Make_Song(lines);
  Build_All();
  const std::int64_t start = Rec(5).First_Wipe_Pack;
  ASSERT_EQ(start, 6075) << "the first quarter of the line is wiped at 20.25 s";
  // The fade runs from start - shown - fade on, the clear follows it.
  const std::int64_t draw = start - 1200 - 300;
  EXPECT_EQ(Instruction(draw + 50), Load_Colors_Low);
  EXPECT_EQ(Instruction(draw + 302), Memory_Preset);
  EXPECT_EQ(Log_Count("Attempting screen redraw..."), 0);
  EXPECT_EQ(Log_Count("Hard screen change performed at "), 3);
  EXPECT_EQ(Decoded_Until(start), Expected_Screen({{5, 1}, {6, 2}, {7, 3}, {8, 4}}));
}

TEST_F(Screens, ShortPauseChangesLineByLine) {
  Make_Song({Timed(2, 4), Timed(4, 6), Blank, Timed(7, 9), Timed(9, 11), Timed(11, 13)});
  Build_All();
  EXPECT_EQ(Log_Count("Attempting screen redraw..."), 1);
  EXPECT_EQ(Log_Count("Writing of line 4 in screen 2 starts at "), 1);
  EXPECT_EQ(Log_Count("Erasing of line 1 for screen 2 starts at "), 1);
  EXPECT_EQ(Log_Count("Erasing of line 2 for screen 2 starts at "), 1);
  EXPECT_EQ(Log_Count("Screen redraw complete on "), 1);
  EXPECT_EQ(Log_Count("Hard screen change performed at "), 2) << "first and closing screen";
  // Between the first screen's set-up and the closing fade the screen is never cleared.
  for (std::int64_t s : Occupied(400, 8000)) EXPECT_NE(Instruction(s), Memory_Preset) << s;
  // Before its first wipe the new screen shows exactly its three lines.
  EXPECT_EQ(Decoded_Until(Rec(4).First_Wipe_Pack), Expected_Screen({{4, 2}, {5, 3}, {6, 4}}));
}

TEST_F(Screens, LineThatCannotBeWrittenInTimeForcesAHardChange) {
  // Line 5 must replace line 1, which may go only once line 2 has been wiped: too late.
  Make_Song({Timed(2, 4), Timed(4, 6), Blank, Timed(6, 6.2), Timed(6, 6.2), Timed(7, 9)});
  Assign_And_Wipe();
  Create_Screen(run, song, work, 1);
  const std::int64_t after_first = run.Pack_Pointer;
  Create_Screen(run, song, work, 2);
  EXPECT_EQ(Log_Count("Attempting screen redraw..."), 1);
  EXPECT_EQ(Log_Count("Writing of line 4 in screen 2 starts at "), 1);
  EXPECT_EQ(Log_Count("Hard screen change performed at "), 2);
  // Everything the attempt placed was taken back: up to the end of the old screen only the
  // wipe packs remain.
  const std::int64_t prev_end = Rec(2).Last_Wipe_Pack;
  std::vector<std::int64_t> expected;
  std::copy_if(wipe_slots.begin(), wipe_slots.end(), std::back_inserter(expected),
               [&](std::int64_t s) { return s >= after_first && s <= prev_end; });
  EXPECT_EQ(Occupied(after_first, prev_end + 1), expected);
  // The hard change follows: its first pack after the old screen is the border preset.
  std::int64_t clear = prev_end + 1;
  while (Instruction(clear) < 0 ||
         std::find(wipe_slots.begin(), wipe_slots.end(), clear) != wipe_slots.end())
    ++clear;
  EXPECT_EQ(Instruction(clear), Border_Preset);
}

TEST_F(Screens, ClosingScreenFadesOutJustBeforeTheTrackEnds) {
  Make_Song({Timed(5), Timed(6), Timed(7)});
  Build_All();
  // Draw point Int(30 s) - 50 - fade = 8650; the fade ends two slots after its last step.
  EXPECT_EQ(Instruction(8650 + 300), Load_Colors_Low);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(Instruction(8952 + k), Memory_Preset);
  EXPECT_EQ(Instruction(8983), Border_Preset);
  EXPECT_EQ(run.Screen_End_Mark, run.Pack_Pointer);
  EXPECT_EQ(Decoded_Until(run.Pack_Buffer.Size()), Screen_Pixels{});
}

}  // namespace
}  // namespace lyricanvas
