#include "cdg/line_drawing.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cdg/interpreter.h"
#include "cdg/packs.h"
#include "model/layout.h"
#include "model/line_render.h"
#include "support/song_builder.h"

namespace lyricanvas {
namespace {

using testing::Build_Song;
using testing::Song_Line;

constexpr int Lines_On_Screen = 4;
constexpr std::int64_t Stream_End = 60 * Packs_Per_Second;

Song_Line Words(const std::string& text, int singer = 1) {
  return Song_Line{{{text, 1, 2}}, singer};
}

struct LineDrawing : ::testing::Test {
  Song song;
  Creation_Run run;
  Surface work = Make_Work_Picture();

  void Make_Song(const std::vector<Song_Line>& lines, const std::string& style) {
    Build_Song(song, lines);
    Apply_Wiping_Style(song, style);
    Layout_Text(song);
    run.Settings.Wiping_Style = style;
    run.Pack_Buffer.Resize(Stream_End);
    run.Lines_Per_Screen = Lines_On_Screen;
    run.Line_Y_Offset = 8;
    run.last_color_pack = Stream_End - 100;
    for (int line = 1; line <= Line_Count(song); ++line)
      run.coloring_table[static_cast<std::size_t>(line)].text = Line_Text(song, line);
  }

  /// Gives a line its slot and coloring points (x, pack time, jump flag).
  void Set_Points(int line, int slot, const std::vector<coloring_point>& points) {
    coloring_line& rec = run.coloring_table[static_cast<std::size_t>(line)];
    rec.Slot_Of_Line = slot;
    rec.count = static_cast<int>(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) rec.points[i + 1] = points[i];
  }

  const coloring_line& Rec(int line) const {
    return run.coloring_table[static_cast<std::size_t>(line)];
  }

  std::vector<std::int64_t> Occupied() const {
    std::vector<std::int64_t> taken;
    for (std::int64_t s = 0; s <= run.Pack_Buffer.Last_Slot(); ++s)
      if (run.Pack_Buffer.Occupied(s)) taken.push_back(s);
    return taken;
  }

  /// The screen after applying every pack of the stream, in order, to a copy of start.
  Screen_Pixels Decoded(Screen_Pixels screen) const {
    for (std::int64_t s : Occupied()) Apply_Pack(screen, run.Pack_Buffer.At(s));
    return screen;
  }

  /// A tile column whose left and right halves both hold body pixels of the line in slot.
  int Tile_With_Body_In_Both_Halves(int line, int slot) {
    work.Cls();
    const int top = Slot_Top(slot, Lines_On_Screen);
    Render_Body(song, Line_X(song, line), top + run.Line_Y_Offset, work, line,
                Render_Color{qRgb(255, 255, 255)});
    auto has_body = [&](int x0, int x1) {
      for (int x = x0; x <= x1; ++x)
        for (int y = top; y < top + Inner_Height / Lines_On_Screen; ++y)
          if (work.Pixel(x, y) == qRgb(255, 255, 255)) return true;
      return false;
    };
    for (int c = 0; c < Inner_Width / 6; ++c)
      if (has_body(6 * c, 6 * c + 2) && has_body(6 * c + 3, 6 * c + 5)) return c;
    return -1;
  }
};

TEST_F(LineDrawing, SlotsDivideTheInnerHeight) {
  EXPECT_EQ(Slot_Top(1, 4), 0);
  EXPECT_EQ(Slot_Top(4, 4), 144);
  EXPECT_EQ(Slot_Top(2, 5), 38);  // Int(192 / 5)
  EXPECT_EQ(Slot_Top(5, 5), 153);
}

TEST_F(LineDrawing, XorValueFollowsTheWipingStyle) {
  EXPECT_EQ(Wipe_Xor_Value("Swap text body & outline"), 3);
  EXPECT_EQ(Wipe_Xor_Value("Swipe text body only"), 2);
  EXPECT_EQ(Wipe_Xor_Value("Swipe text body & outline"), 2);
  EXPECT_EQ(Wipe_Xor_Value("Draw no outline"), 2);
  EXPECT_EQ(Wipe_Xor_Value(""), 2);
  EXPECT_EQ(Wipe_Xor_Value("Sparkle"), 0);
}

TEST_F(LineDrawing, JumpPointsOnlyPlaceNoWipe) {
  Make_Song({Words("Hello there")}, "Swipe text body only");
  Set_Points(1, 2, {{0, 1000, -1}, {100, 1100, -1}, {280, 1200, -1}});
  Prepare_Wipe_Packs(run, song, work, 1);
  EXPECT_TRUE(Occupied().empty());
  EXPECT_EQ(Rec(1).First_Wipe_Pack, run.last_color_pack);
  EXPECT_EQ(Rec(1).Last_Wipe_Pack, 0);
}

TEST_F(LineDrawing, EachPointPacksEveryTileItReachesOnce) {
  Make_Song({Words("MMMM WWWW")}, "Swipe text body only");
  const int c = Tile_With_Body_In_Both_Halves(1, 2);
  ASSERT_GE(c, 0);
  Set_Points(1, 2, {{6 * c, 1000, -1}, {6 * c + 3, 1010, 0}, {6 * c + 6, 1020, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);

  // Per point: one pack per tile row the text covers, all in the tile column, in consecutive
  // slots from the point's time, with bits only in the columns the point reached.
  std::map<std::int64_t, std::set<int>> rows_at_point = {{1010, {}}, {1020, {}}};
  for (std::int64_t slot : Occupied()) {
    const Pack& pack = run.Pack_Buffer.At(slot);
    ASSERT_EQ(pack[1], Tile_Block_Xor);
    EXPECT_EQ(pack[5], 2);
    EXPECT_EQ(pack[7], c + 1);
    const std::int64_t point = slot < 1020 ? 1010 : 1020;
    EXPECT_TRUE(rows_at_point[point].insert(pack[6]).second) << "tile packed twice at " << point;
    const int allowed = point == 1010 ? 0b111000 : 0b000111;
    for (int r = 0; r < 12; ++r) EXPECT_EQ(pack[8 + r] & ~allowed, 0) << "slot " << slot;
  }
  EXPECT_FALSE(rows_at_point[1010].empty());
  EXPECT_EQ(rows_at_point[1010], rows_at_point[1020]);
  const auto n = static_cast<std::int64_t>(rows_at_point[1010].size());
  EXPECT_EQ(Occupied().front(), 1010);
  EXPECT_EQ(Rec(1).First_Wipe_Pack, 1010);
  EXPECT_EQ(Rec(1).Last_Wipe_Pack, 1020 + n);
}

TEST_F(LineDrawing, PointsLaterThanTheLastColorPackWipeFromThere) {
  Make_Song({Words("Hello there")}, "Swipe text body only");
  run.last_color_pack = 5000;
  Set_Points(1, 1, {{0, 1000, -1}, {280, 9000, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);
  ASSERT_FALSE(Occupied().empty());
  EXPECT_EQ(Occupied().front(), 5000);
  EXPECT_EQ(Rec(1).First_Wipe_Pack, 5000);
}

TEST_F(LineDrawing, SecondLineWipingAtTheSameMomentTakesTheNextFreeSlots) {
  Make_Song({Words("Hello there"), Words("Good night")}, "Swipe text body only");
  Set_Points(1, 1, {{0, 1000, -1}, {280, 2000, 0}});
  Set_Points(2, 2, {{0, 1000, -1}, {280, 2000, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);
  const std::vector<std::int64_t> first = Occupied();
  Prepare_Wipe_Packs(run, song, work, 2);
  const std::vector<std::int64_t> both = Occupied();
  ASSERT_FALSE(first.empty());
  ASSERT_GT(both.size(), first.size());
  // Nothing of the first line was overwritten: the two runs follow each other without a gap.
  EXPECT_EQ(both.front(), 2000);
  EXPECT_EQ(both.back(), 2000 + static_cast<std::int64_t>(both.size()) - 1);
  EXPECT_EQ(Rec(1).Last_Wipe_Pack, 2000 + static_cast<std::int64_t>(first.size()));
  EXPECT_EQ(Rec(2).First_Wipe_Pack, 2000 + static_cast<std::int64_t>(first.size()));
  EXPECT_EQ(Rec(2).Last_Wipe_Pack, both.back() + 1);
  for (std::size_t i = first.size(); i < both.size(); ++i)
    EXPECT_GE(run.Pack_Buffer.At(both[i])[6], 4) << "second line's tiles lie in slot 2";
}

TEST_F(LineDrawing, LinesOnNoScreenOrWithoutPointsPlaceNothing) {
  Make_Song({Words("Hello there")}, "Swipe text body only");
  Set_Points(1, 0, {{0, 1000, -1}, {280, 2000, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);
  Set_Points(1, 2, {});
  Prepare_Wipe_Packs(run, song, work, 1);
  EXPECT_TRUE(Occupied().empty());
}

struct Style_Case {
  std::string style;
  int wiped_body;     ///< what singer 1's body (5) becomes
  int wiped_outline;  ///< what its outline (6) becomes
};

class WipeStyles : public LineDrawing, public ::testing::WithParamInterface<Style_Case> {};

TEST_P(WipeStyles, WipeRecolorsExactlyTheStylesParts) {
  const Style_Case& c = GetParam();
  Make_Song({Words("Wiping Words")}, c.style);
  Write_Line(run, song, work, 1, 2, false);
  const Screen_Pixels written = run.Target_Screen;
  EXPECT_TRUE(Occupied().empty()) << "no packs without update now";
  Set_Points(1, 2, {{0, 1000, -1}, {Inner_Width, 1500, 0}});
  Prepare_Wipe_Packs(run, song, work, 1);
  const Screen_Pixels wiped = Decoded(written);

  std::map<int, int> counts;
  for (int y = 0; y < Inner_Height; ++y) {
    for (int x = 0; x < Inner_Width; ++x) {
      const int before = written(y, x);
      ++counts[before];
      const int expected = before == 5 ? c.wiped_body : before == 6 ? c.wiped_outline : before;
      ASSERT_EQ(wiped(y, x), expected) << "pixel " << x << "," << y;
    }
  }
  EXPECT_EQ(counts.count(5), 1u);
  EXPECT_EQ(counts.count(6), c.style == "Draw no outline" ? 0u : 1u);
  EXPECT_EQ(counts.size(), c.style == "Draw no outline" ? 2u : 3u) << "background, body, outline";
}

INSTANTIATE_TEST_SUITE_P(AllStyles, WipeStyles,
                         ::testing::Values(Style_Case{"Swipe text body only", 7, 6},
                                           Style_Case{"Swipe text body & outline", 7, 4},
                                           Style_Case{"Swap text body & outline", 6, 5},
                                           Style_Case{"Draw no outline", 7, 6}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST_F(LineDrawing, WrittenLineStaysInItsSlotAndTakesEachSingersColours) {
  Make_Song({Words("Sing along together")}, "Swipe text body only");
  // The last word goes to singer 2.
  const QString text = Line_Text(song, 1);
  const int word = static_cast<int>(text.lastIndexOf(' ')) + 1;
  song.RTB_Raw.Set_Color(word, static_cast<int>(text.size()) - word, song.Singers[2].Text_Color);
  Layout_Text(song);
  Write_Line(run, song, work, 1, 3, false);

  std::set<int> first_part, last_part;
  for (int y = 0; y < Inner_Height; ++y) {
    for (int x = 0; x < Inner_Width; ++x) {
      const int color = run.Target_Screen(y, x);
      if (color == 0) continue;
      EXPECT_GE(y, Slot_Top(3, Lines_On_Screen));
      (x < song.Char_X[word] - 2 ? first_part : last_part).insert(color);
      if (x >= song.Char_X[word] + 3) {
        EXPECT_TRUE(color == 9 || color == 10) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(first_part, (std::set<int>{5, 6}));
  EXPECT_TRUE(last_part.count(9) && last_part.count(10));
}

TEST_F(LineDrawing, WriteSendsTheLineAndEraseBringsBackTheBackground) {
  Make_Song({Words("Tall letters gyp")}, "Swipe text body only");
  // A large font reaches far below the slot's first 51 rows.
  song.RTB_Raw.Set_Font_Size(0, song.RTB_Raw.Length(), 44);
  Layout_Text(song);
  for (int y = 0; y < Screen_Pixels::Rows; ++y)
    for (int x = 0; x < Screen_Pixels::Columns; ++x)
      run.Background_Screen(y, x) = static_cast<std::uint8_t>((x / 7 + y / 5) % 2 ? 12 : 0);
  run.Target_Screen = run.Shown_Screen = run.Background_Screen;

  run.Pack_Pointer = 400;
  Write_Line(run, song, work, 1, 1, true);
  EXPECT_NE(run.Target_Screen, run.Background_Screen);
  EXPECT_EQ(run.Shown_Screen, run.Target_Screen);
  EXPECT_EQ(Decoded(run.Background_Screen), run.Target_Screen) << "the packs show the line";
  int lowest = 0;
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x)
      if (run.Target_Screen(y, x) != run.Background_Screen(y, x)) lowest = y;
  EXPECT_GT(lowest, 50);

  Erase_Line(run, song, work, 1, 1);
  EXPECT_EQ(run.Target_Screen, run.Background_Screen);
  EXPECT_EQ(run.Shown_Screen, run.Background_Screen);
  EXPECT_EQ(Decoded(run.Background_Screen), run.Background_Screen);
}

}  // namespace
}  // namespace lyricanvas
