#include "cdg/coloring.h"

#include <gtest/gtest.h>

#include "model/layout.h"
#include "support/song_builder.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using testing::Build_Song;
using testing::Recording_Ui;

void Set_Pair(Creation_Settings& s, int i, double source_s, double dest_s) {
  s.timebase_source[i] = source_s;
  s.timebase_dest[i] = dest_s * 300 + static_cast<double>(s.intro_silence_packs);
}

// No pair adds the silence; one pair shifts (a third pair without a second is ignored); two and
// three pairs are piecewise linear, the outer segments extended. A pair repeating the destination
// of the pair before it is dropped.
TEST(Timebase, TimesMapThroughThePairs) {
  struct Pair {
    double source, dest;
  };
  struct Case {
    std::int64_t silence;
    std::vector<std::pair<int, Pair>> pairs;
    double t, packs;
  };
  const std::vector<std::pair<int, Pair>> two{{1, {10, 12}}, {2, {20, 21}}},
      three{{1, {10, 12}}, {2, {20, 21}}, {3, {30, 41}}};
  const std::vector<Case> cases = {
      {1200, {}, 1.5, 1650},
      {1200, {{1, {10, 12}}}, 10, 12 * 300 + 1200},
      {1200, {{1, {10, 12}}}, 1, 300 + 600 + 1200},
      {1200, {{1, {10, 12}}, {3, {20, 40}}}, 30, 9000 + 600 + 1200},
      {0, two, 15, (3600 + 6300) / 2.0},
      {0, two, 25, 6300 + 5 * 270},
      {0, two, 5, 3600 - 5 * 270},
      {0, three, 25, 6300 + 5 * 600},
      {0, three, 35, 12300 + 5 * 600},
      {0, {{1, {10, 12}}, {2, {20, 21}}, {3, {30, 21}}}, 35, 6300 + 15 * 270},
  };
  for (const Case& c : cases) {
    Creation_Settings s;
    s.intro_silence_packs = c.silence;
    for (const auto& [i, pair] : c.pairs) Set_Pair(s, i, pair.source, pair.dest);
    Normalise_Timebase(s);
    EXPECT_DOUBLE_EQ(correct_timebase(s, c.t), c.packs) << c.pairs.size() << " pairs, t " << c.t;
  }
}

// --- fetching -----------------------------------------------------------------------------------

struct Fixture {
  Song song;
  Recording_Ui recorder;
  Creation_Run run;
  Fixture() { run.ui = recorder.ui(); }
  void Lay_Out() { Layout_Text(song); }
};

// Start, swipe and gap points per word; untimed lines have none.
TEST(FetchLine, TwoWordsGiveStartSwipeGapAndFinishingPoints) {
  Fixture f;
  Build_Song(f.song, {{{{"Hello ", 1, 2}, {"world", 3, 4}}}});
  f.Lay_Out();
  const Song& s = f.song;
  coloring_line rec = fetch_line(f.run, s, 1);
  EXPECT_EQ(rec.text, QString("Hello world"));
  const int hello_end = s.Char_X[5] + s.Wipe_Margin;  // before the blank: widened
  const int world_start = s.Char_X[6] - s.Wipe_Margin;
  const int line_end = s.Line_End_X[1] + s.Wipe_Margin;
  // Short words: 249/250 of the width rounds to the field's end.
  ASSERT_EQ(std::nearbyint(249.0 / 250 * (line_end - world_start)), line_end - world_start);
  // "world"'s last swiping point reaches the line end; the finishing point there adds nothing.
  EXPECT_EQ(std::vector(rec.points.begin() + 1, rec.points.begin() + 1 + rec.count),
            (std::vector<coloring_point>{{2, 1.0, -1},
                                         {2, 1.0, 0},
                                         {hello_end - 1, 2.0, 0},
                                         {hello_end - 1, 2.0, 0},
                                         {world_start, 3.0, -1},
                                         {world_start, 3.0, 0},
                                         {line_end, 4.0, 0}}));
  // Styles that wipe the outline start two pixels further left.
  f.run.Settings.Wiping_Style = "Swipe text body & outline";
  EXPECT_EQ(fetch_line(f.run, s, 1).points[1].x, 0);
  f.run.Settings.Wiping_Style = "Draw no outline";
  EXPECT_EQ(fetch_line(f.run, s, 1).points[1].x, 2);
  Fixture untimed;
  untimed.song.RTB_Raw.Set_Text("untimed\r\n");
  untimed.Lay_Out();
  EXPECT_EQ(fetch_line(untimed.run, untimed.song, 1).count, 0);
}

// --- correcting ---------------------------------------------------------------------------------

/// The points (seconds) of a line after the coloring pass (packs).
std::vector<coloring_point> Corrected(Creation_Run& run, std::vector<coloring_point> points) {
  coloring_line line;
  for (const coloring_point& p : points) line.points[++line.count] = p;
  Correct_Coloring_Line(run, line);
  return {line.points.begin() + 1, line.points.begin() + 1 + line.count};
}

TEST(ColoringPass, OneSecondOverSixtyPixelsIsSixtyStepsOfFivePacks) {
  for (bool reduce : {false, true}) {
    Creation_Run run;
    run.Settings.Reduce_Framerate = reduce;
    const auto p = Corrected(run, {{10, 1.0, -1}, {70, 2.0, 0}});
    const int steps = reduce ? 30 : 60, pace = reduce ? 10 : 5;
    ASSERT_EQ(static_cast<int>(p.size()), 2 + steps + 1) << reduce;
    EXPECT_EQ(p[0], (coloring_point{10, 300, 0}));
    EXPECT_EQ(p[1], (coloring_point{10, 300, -1}));
    for (int k = 0; k < steps; ++k) {
      EXPECT_EQ(p[2 + k].color_time, 300 + pace * k);
      EXPECT_EQ(p[2 + k].x, 10 + k * 60 / steps);
    }
    EXPECT_EQ(p.back(), (coloring_point{70, 600, 0}));
    EXPECT_EQ(run.last_color_pack, 600);
  }
}

// Backward times and columns are raised; a long pause on one column starts a new segment.
TEST(ColoringPass, TimesAndColumnsOnlyGoForward) {
  Creation_Run run;
  auto p = Corrected(run, {{10, 1.0, -1}, {40, 2.0, 0}, {60, 1.5, 0}, {50, 2.5, 0}, {90, 3.0, 0}});
  for (std::size_t j = 1; j < p.size(); ++j) {
    EXPECT_GE(p[j].color_time, p[j - 1].color_time) << j;
    EXPECT_GE(p[j].x, p[j - 1].x) << j;
  }
  EXPECT_EQ(p.back().x, 90);
  for (double pause : {29.0, 31.0}) {
    p = Corrected(run, {{10, 1.0, -1}, {50, 2.0, 0}, {50, 2.0 + pause, 0}, {90, 3.0 + pause, 0}});
    bool segment = false;
    for (const coloring_point& point : p)
      if (point.x == 50 && point.jump == -1) {
        segment = true;
        EXPECT_DOUBLE_EQ(point.color_time, (2.0 + pause) * 300);
      }
    EXPECT_EQ(segment, pause > 30) << pause;
  }
}

TEST(ColoringPass, ReducedFramerateSnapsToTileColumns) {
  Creation_Run run;
  run.Settings.Reduce_Framerate = true;
  const std::vector<coloring_point> points{
      {10, 1.0, -1}, {40, 1.02, 0}, {100, 2.02, 0}, {130, 2.05, 0}};
  const auto p = Corrected(run, points);
  ASSERT_GE(p.size(), 8u);
  // A direct point inside the line moves to the last column of its tile (41). The steps after
  // it start from its own column (40), every 10 packs; the first of each 30-pack run keeps its
  // column (46 at 336), the others snap (42 and 44 to 41, 48 to 47).
  EXPECT_EQ(
      std::vector(p.begin() + 2, p.begin() + 8),
      (std::vector<coloring_point>{
          {41, 306, 0}, {40, 306, 0}, {41, 316, 0}, {41, 326, 0}, {46, 336, 0}, {47, 346, 0}}));
  run.Settings.Reduce_Framerate = false;
  EXPECT_EQ(Corrected(run, points)[2].x, 40) << "without the option no column is snapped";
}

TEST(ColoringPass, NegativeCorrectedTimeIsReportedAndBecomesZero) {
  Recording_Ui recorder;
  Creation_Run run;
  run.ui = recorder.ui();
  Set_Pair(run.Settings, 1, 10, 0);
  for (const coloring_point& p : Corrected(run, {{10, 1.0, -1}, {11, 1.01, 0}}))
    EXPECT_GE(p.color_time, 0);
  ASSERT_FALSE(recorder.messages.empty());
  EXPECT_EQ(recorder.messages[0],
            "Error #10: corrected time is smaller than 0.\r" + Error_Report_Request());
}

// --- limits -------------------------------------------------------------------------------------

// A line stops at its capacity of points, lines past 500 are left out: each limit said once.
TEST(ColoringLimits, CrowdedLinesAndLinesPastFiveHundredAreReportedOnceEach) {
  Fixture f;
  std::vector<testing::Song_Line> lines(520);
  for (int n = 0; n < 520; ++n)
    lines[n].syllables = {{n < 2 ? "crowded" : "la", 1.0 + n, n < 2 ? 0 : 1.5 + n}};
  Build_Song(f.song, lines);
  for (int line : {1, 2}) {
    std::string& events = f.song.Fields[line].Events;
    for (int k = 1; k <= 400; ++k) events += Encode_Event(1 + k * 249 / 400, 300 * line + 3 * k);
  }
  f.Lay_Out();
  bool overflowed = false;
  EXPECT_EQ(fetch_line(f.run, f.song, 1, &overflowed).count, Max_Coloring_Points);
  EXPECT_TRUE(overflowed);
  build_coloring_table(f.run, f.song);
  ASSERT_EQ(f.recorder.messages.size(), 2u);
  EXPECT_NE(f.recorder.messages[0].find("520"), std::string::npos);
  EXPECT_NE(f.recorder.messages[1].find("Line(s) 1, 2 hold"), std::string::npos);
  EXPECT_LE(f.run.coloring_table[1].count, Max_Coloring_Points);
  EXPECT_GT(f.run.coloring_table[3].count, 0);
  EXPECT_DOUBLE_EQ(f.run.coloring_table[500].points[1].color_time, 500 * 300);
  EXPECT_EQ(f.run.last_color_pack, std::llrint(500.5 * 300));
}

// --- sort_fields --------------------------------------------------------------------------------

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
