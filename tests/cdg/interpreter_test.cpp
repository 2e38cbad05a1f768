#include "cdg/interpreter.h"

#include <gtest/gtest.h>

#include <memory>

#include "cdg/packs.h"

namespace lyricanvas {
namespace {

/// A tile block with every pixel in colour 1.
Pack Solid_Tile(Instruction instruction, int color0, int color1, int row, int column) {
  std::array<std::uint8_t, 16> data{};
  data.fill(63);
  data[0] = static_cast<std::uint8_t>(color0);
  data[1] = static_cast<std::uint8_t>(color1);
  data[2] = static_cast<std::uint8_t>(row);
  data[3] = static_cast<std::uint8_t>(column);
  return Make_Pack(instruction, data);
}

Pack Pack_Of(Instruction instruction, std::uint8_t data0, std::uint8_t data1 = 0) {
  return Make_Pack(instruction, std::array<std::uint8_t, 2>{data0, data1});
}

/// The rectangle [x0, x1] x [y0, y1] of the inner area in one colour.
struct Rect {
  int x0, x1, y0, y1, color;
};

void Paint(Screen_Pixels& screen, const Rect& r) {
  for (int y = r.y0; y <= r.y1; ++y)
    for (int x = r.x0; x <= r.x1; ++x) screen(y, x) = static_cast<std::uint8_t>(r.color);
}

/// Both screens of the run agree with the expectation over the inner 288 x 192 area.
void Expect_Inner(const Creation_Run& run, const Screen_Pixels& expected) {
  for (const Screen_Pixels* screen : {&run.Target_Screen, &run.Shown_Screen})
    for (int y = 0; y < Inner_Height; ++y)
      for (int x = 0; x < Inner_Width; ++x)
        ASSERT_EQ((*screen)(y, x), expected(y, x)) << "x " << x << " y " << y;
}

// Each case feeds its packs one by one and expects the inner area all 0 but for a rectangle of
// one colour (and another over it), and the mark after the last pack the interpreter follows.
TEST(Interpreter, PacksPaintTheInnerAreaAsTheyShould) {
  struct Case {
    std::vector<Pack> packs;
    Rect area;
    std::int64_t mark;
    std::vector<Rect> over = {};
  };
  // Tile (2, 2), its top row in colour 1.
  const Pack flip = Make_Pack(Tile_Block_Xor, std::array<std::uint8_t, 5>{3, 5, 2, 2, 63});
  std::vector<Pack> presets;
  for (std::uint8_t band = 0; band < 16; ++band) presets.push_back(Pack_Of(Memory_Preset, 9, band));
  // Colours, border, transparency and unknown packs draw nothing; the mark stays at the last
  // pack it follows.
  const std::vector<Pack> no_drawing = {Pack_Of(Load_Colors_Low, 63), Pack_Of(Border_Preset, 3),
                                        Pack_Of(Define_Transparent, 63),
                                        Pack_Of(Instruction{20}, 63), Pack_Of(Instruction{50}, 63)};
  const Case cases[] = {
      {{Solid_Tile(Tile_Block, 0, 12, 2, 2), flip},
       {6, 11, 12, 23, 12 ^ 3},
       1,
       {{6, 11, 12, 12, 9}}},  // XOR flips both colours
      {{Pack_Of(Memory_Preset, 6, 3)}, {0, 287, 36, 47, 6}, 0},
      {presets, {0, 287, 0, 191, 9}, 15},
      {no_drawing, {0, -1, 0, -1, 0}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    auto run = std::make_unique<Creation_Run>();
    run->Pack_Buffer.Resize(99);
    for (std::size_t i = 0; i < c.packs.size(); ++i) {
      run->Pack_Buffer.Put(static_cast<std::int64_t>(i), c.packs[i]);
      Interpret_Pack(*run, static_cast<std::int64_t>(i));
    }
    Screen_Pixels expected;
    Paint(expected, c.area);
    for (const Rect& r : c.over) Paint(expected, r);
    Expect_Inner(*run, expected);
    EXPECT_EQ(run->Interpreted_Up_To, c.mark);
    EXPECT_EQ(run->Shown_Screen(36, Inner_Width), 0) << "presets stop at the inner width";
  }
}

// A range resumes right after the last slot interpreted, whatever the pointer, and ends before
// its end or at the end of the stream; packs past it are left to the next range.
TEST(Interpreter, RangesTakeEachPackOnce) {
  struct Case {
    std::vector<std::pair<std::int64_t, int>> xor_packs;  ///< slot, colour on tile (1, 1)
    std::int64_t mark, pointer;                           ///< before each range
    std::vector<std::int64_t> ends;
    int color;
    std::int64_t pointer_after, mark_after;
  };
  const Case cases[] = {
      {{{3, 1}, {5, 2}, {9, 4}}, 3, 50, {9}, 2, 9, 8},
      {{{3, 1}, {5, 2}, {9, 4}}, 3, 50, {9, 10}, 2 ^ 4, 10, 9},
      {{{3, 1}}, -1, 0, {5, 8}, 1, 8, 7},
      {{{99, 1}}, -1, 0, {1'000'000}, 1, 100, 99},
      {{}, 40, 60, {30}, 0, 41, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ends.back());
    auto run = std::make_unique<Creation_Run>();
    run->Pack_Buffer.Resize(99);
    for (const auto& [slot, color] : c.xor_packs)
      run->Pack_Buffer.Put(slot, Solid_Tile(Tile_Block_Xor, 0, color, 1, 1));
    run->Interpreted_Up_To = c.mark;
    for (const std::int64_t end : c.ends) {
      run->Pack_Pointer = c.pointer;
      Interpret_Packs_Up_To(*run, end);
    }
    Screen_Pixels expected;
    Paint(expected, {0, 5, 0, 11, c.color});
    Expect_Inner(*run, expected);
    EXPECT_EQ(run->Pack_Pointer, c.pointer_after);
    EXPECT_EQ(run->Interpreted_Up_To, c.mark_after);
  }
}

}  // namespace
}  // namespace lyricanvas
