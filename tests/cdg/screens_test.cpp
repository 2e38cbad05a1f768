// Lines drawn, wiped and erased in their slots, and screens built from them: which lines share a
// screen, how one screen follows another, and what the packs show when played.
#include "cdg/screens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "cdg/interpreter.h"
#include "cdg/line_drawing.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "model/line_render.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Song_Line;

/// A lyrics line wiped from start to end seconds.
Song_Line Timed(double start, double end = 0, const char* text = "Sing it now") {
  return Song_Line{{{text, start, end > 0 ? end : start + 1}}, 1};
}
const Song_Line Blank = Song_Line{};

/// Reads past one separator character.
std::istream& Skip(std::istream& in) { return in.ignore(1); }

struct Screens : ::testing::Test {
  Song song;
  Creation_Run run;
  testing::Recording_Ui recorder;
  Surface work = Make_Work_Picture();
  std::vector<std::int64_t> wipe_slots;  ///< slots holding wipe packs before any screen

  /// Each timed line is wiped in four even steps from its left to its right end; the run's
  /// settings keep their defaults (body wiped, DVD fading, four seconds gap and shown).
  void Make_Song(const std::vector<Song_Line>& lines) {
    testing::Build_Song(song, lines);
    Layout_Text(song);
    run.ui = recorder.ui();
    run.Lines_Per_Screen = 4;
    run.Line_Y_Offset = 8;
    run.Total_Time = 30;
    run.Work_Palette = song.Palette;
    run.Pack_Buffer.Resize(static_cast<std::int64_t>((run.Total_Time + 20) * Packs_Per_Second));
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
        rec.points[static_cast<std::size_t>(k + 1)] = {left + width * k / 4,
                                                       start + (end - start) * k / 4, k ? 0 : -1};
      run.last_color_pack = std::max(run.last_color_pack, static_cast<std::int64_t>(end));
    }
  }

  /// Gives a line its slot and coloring points (x, pack time, jump flag).
  void Set_Points(int line, int slot, const std::vector<coloring_point>& points) {
    coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
    rec.Slot_Of_Line = slot;
    rec.count = static_cast<int>(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) rec.points[i + 1] = points[i];
  }

  void Assign_And_Wipe() {
    Assign_Lines_To_Screens(run, song);
    for (int n = 1; n <= Line_Count(song); ++n) Prepare_Wipe_Packs(run, song, work, n);
    wipe_slots = Occupied();
  }

  const coloring_line& Rec(int line) const {
    return run.coloring_table[static_cast<std::size_t>(line)];
  }

  std::vector<std::int64_t> Occupied(std::int64_t from = 0, std::int64_t to = -1) const {
    std::vector<std::int64_t> taken;
    for (std::int64_t s = from; s < (to < 0 ? run.Pack_Buffer.Size() : to); ++s)
      if (run.Pack_Buffer.Occupied(s)) taken.push_back(s);
    return taken;
  }

  int Instruction(std::int64_t slot) const {
    return run.Pack_Buffer.Occupied(slot) ? run.Pack_Buffer.At(slot)[1] : -1;
  }

  /// What a decoder shows after playing the packs of slots 0 .. end - 1 over the screen.
  Screen_Pixels Decoded(std::int64_t end = -1, Screen_Pixels screen = {}) const {
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
};

// Drawing and wiping single lines ---------------------------------------------------------------

TEST_F(Screens, JumpPointsAndUnknownStylesPlaceNoWipe) {
  Make_Song({Timed(1, 40)});
  Set_Points(1, 2, {{0, 1000, -1}, {100, 1100, -1}, {280, 1200, -1}});
  Prepare_Wipe_Packs(run, song, work, 1);
  EXPECT_TRUE(Occupied().empty());
  EXPECT_EQ(Rec(1).First_Wipe_Pack, run.last_color_pack);
  run.Settings.Wiping_Style = "Sparkle";  // a style this program does not know wipes nothing
  Set_Points(1, 2, {{0, 1000, -1}, {280, 1200, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);
  EXPECT_TRUE(Occupied().empty());
}

// A tall line over a background: written into slot 3 in each singer's colours, sent as packs,
// and erased back to the background, letters reaching beyond the slot included.
TEST_F(Screens, WrittenLineTakesEachSingersColoursAndErasingBringsBackTheBackground) {
  Make_Song({Timed(1, 40, "Sing it gyp")});
  const QString text = Line_Text(song, 1);
  const int word = static_cast<int>(text.lastIndexOf(' ')) + 1;  // the last word: singer 2
  song.RTB_Raw.Set_Color(word, static_cast<int>(text.size()) - word, song.Singers[2].Text_Color);
  song.RTB_Raw.Set_Font_Size(0, song.RTB_Raw.Length(), 44);
  Layout_Text(song);
  for (int y = 0; y < Screen_Pixels::Rows; ++y)
    for (int x = 0; x < Screen_Pixels::Columns; ++x)
      run.Background_Screen(y, x) = static_cast<std::uint8_t>((x / 7 + y / 5) % 2 ? 12 : 0);
  run.Target_Screen = run.Shown_Screen = run.Background_Screen;
  run.Pack_Pointer = 400;
  Write_Line(run, song, work, 1, 3, true);
  EXPECT_EQ(run.Shown_Screen, run.Target_Screen);
  EXPECT_EQ(Decoded(-1, run.Background_Screen), run.Target_Screen) << "the packs show the line";
  std::set<int> first_part, last_part;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x) {
      const int color = run.Target_Screen(y, x);
      if (color == run.Background_Screen(y, x)) continue;
      EXPECT_GE(y, Inner_Height / 2);
      (x < song.Char_X[word] - 2 ? first_part : last_part).insert(color);
      EXPECT_TRUE(x < song.Char_X[word] + 3 || color == 9 || color == 10) << x << "," << y;
    }
  EXPECT_EQ(first_part, (std::set<int>{5, 6}));
  EXPECT_TRUE(last_part.count(9) && last_part.count(10));
  Erase_Line(run, song, work, 1, 3);
  EXPECT_EQ(run.Target_Screen, run.Background_Screen);
  EXPECT_EQ(run.Shown_Screen, run.Background_Screen);
  EXPECT_EQ(Decoded(-1, run.Background_Screen), run.Background_Screen);
}

// Screens ---------------------------------------------------------------------------------------

// Lines fill screens from the top; blank lines end a screen, a short screen sits at the bottom
// (its positions still counted from the top), a picture line joins a screen without a slot.
TEST(ScreenAssignment, LinesGoToScreensAndSlots) {
  struct Case {
    const char* name;
    std::vector<double> starts;  ///< negative: a blank line
    int lines_per_screen, picture_line;
    std::vector<int> line_counts;  ///< of screens 1, 2, ...; the count of screens is its size
    const char* places;            ///< "line:screen/slot" of each line checked
  };
  const Case cases[] = {
      {"eight lines", {5, 6, 7, 8, 9, 10, 11, 12}, 4, 0, {4, 4}, "1:1/1 4:1/4 5:2/1 8:2/4"},
      {"blank lines",
       {5, 6, 7, -1, 9, 10, 11, 12, -1, -1, 20},
       4,
       0,
       {3, 4, 0, 1},
       "1:1/2 3:1/4 4:0/0 5:2/1 11:4/4"},
      {"a picture line", {5, 6, 7}, 4, 2, {2}, "2:1/0 3:1/4"},
      {"no lines per screen", {5, 6}, 0, 0, {1, 1}, "2:2/1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Song song;
    std::vector<Song_Line> lines;
    for (double start : c.starts) lines.push_back(start < 0 ? Blank : Timed(start));
    testing::Build_Song(song, lines);
    Layout_Text(song);
    Creation_Run run;
    run.Lines_Per_Screen = c.lines_per_screen;
    if (c.picture_line) run.coloring_table[c.picture_line].picture = "<filename=sunset.bmp>";
    Assign_Lines_To_Screens(run, song);
    ASSERT_EQ(run.Screen_Count, static_cast<int>(c.line_counts.size()));
    for (std::size_t k = 0; k < c.line_counts.size(); ++k)
      EXPECT_EQ(run.Screen_Line_Count[k + 1], c.line_counts[k]) << "screen " << k + 1;
    EXPECT_EQ(run.Screen_Line_Count[c.line_counts.size() + 1], 0);
    std::istringstream places(c.places);
    for (int line, screen, slot; places >> line >> Skip >> screen >> Skip >> slot;) {
      const coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
      EXPECT_EQ(std::pair(rec.Screen_Of_Line, rec.Slot_Of_Line), std::pair(screen, slot)) << line;
    }
  }
}

TEST_F(Screens, ScreenTableOverflowLeavesLinesOutAndSaysSoOnce) {
  std::vector<Song_Line> lines;
  for (int n = 0; n < 200; ++n) lines.insert(lines.end(), {Timed(5 + n), Blank});
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

// The first screen is set up from slot 300 and shows its two lines at the bottom; a short pause
// changes the screen line by line, never clearing it.
TEST_F(Screens, FirstScreenAtSlot300ThenAShortPauseChangesLineByLine) {
  Make_Song({Timed(2, 4), Timed(4, 6), Blank, Timed(7, 9), Timed(9, 11), Timed(11, 13)});
  Assign_And_Wipe();
  Create_Screen(run, song, work, 1);
  std::vector<int> set_up = {Border_Preset, Define_Transparent};
  set_up.resize(18, Memory_Preset);
  set_up.insert(set_up.end(), {Load_Colors_Low, Load_Colors_High});
  for (std::size_t k = 0; k < set_up.size(); ++k) EXPECT_EQ(Instruction(300 + k), set_up[k]) << k;
  for (int k = 0; k < 16; ++k) EXPECT_EQ(run.Pack_Buffer.At(302 + k)[5], k) << "repeat";
  EXPECT_TRUE(Occupied(0, 300).empty());
  EXPECT_EQ(run.Screen_End_Mark, run.Pack_Pointer);
  EXPECT_EQ(Decoded(run.Pack_Pointer), Expected_Screen({{1, 3}, {2, 4}}));
  for (int s = 2; s <= run.Screen_Count + 1; ++s) Create_Screen(run, song, work, s);
  // Between the first screen's set-up and the closing fade the screen is never cleared.
  for (std::int64_t s : Occupied(400, 8000)) EXPECT_NE(Instruction(s), Memory_Preset) << s;
  // Before its first wipe the new screen shows exactly its three lines.
  EXPECT_EQ(Decoded(Rec(4).First_Wipe_Pack), Expected_Screen({{4, 2}, {5, 3}, {6, 4}}));
}

TEST_F(Screens, LineThatCannotBeWrittenInTimeForcesAHardChange) {
  // Line 5 must replace line 1, which may go only once line 2 has been wiped: too late.
  Make_Song({Timed(2, 4), Timed(4, 6), Blank, Timed(6, 6.2), Timed(6, 6.2), Timed(7, 9)});
  Assign_And_Wipe();
  Create_Screen(run, song, work, 1);
  const std::int64_t after_first = run.Pack_Pointer;
  Create_Screen(run, song, work, 2);
  // Everything the attempt placed was taken back: up to the end of the old screen only the
  // wipe packs remain.
  const std::int64_t prev_end = Rec(2).Last_Wipe_Pack;
  std::vector<std::int64_t> expected;
  std::copy_if(wipe_slots.begin(), wipe_slots.end(), std::back_inserter(expected),
               [&](std::int64_t s) { return s >= after_first && s <= prev_end; });
  EXPECT_EQ(Occupied(after_first, prev_end + 1), expected);
  // The hard change follows: its first pack after the old screen is the border preset.
  std::int64_t clear = prev_end + 1;
  while (Instruction(clear) < 0 || std::count(wipe_slots.begin(), wipe_slots.end(), clear)) ++clear;
  EXPECT_EQ(Instruction(clear), Border_Preset);
}

}  // namespace
}  // namespace lyricanvas
