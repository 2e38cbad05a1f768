#include "cdg/interpreter.h"

#include <gtest/gtest.h>

#include <memory>

#include "cdg/packs.h"

namespace lyricanvas {
namespace {

struct Interpreter : ::testing::Test {
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  void SetUp() override { run->Pack_Buffer.Resize(99); }

  /// A tile block with every pixel set in colour 1, addressed in screen tile coordinates.
  static Pack Solid_Tile(Instruction instruction, int color0, int color1, int row, int column) {
    std::array<std::uint8_t, 16> data{};
    data[0] = static_cast<std::uint8_t>(color0);
    data[1] = static_cast<std::uint8_t>(color1);
    data[2] = static_cast<std::uint8_t>(row);
    data[3] = static_cast<std::uint8_t>(column);
    for (int r = 0; r < 12; ++r) data[static_cast<std::size_t>(4 + r)] = 63;
    return Make_Pack(instruction, data);
  }

  void Interpret(const Pack& pack, std::int64_t slot = 0) {
    run->Pack_Buffer.Put(slot, pack);
    Interpret_Pack(*run, slot);
  }

  /// The inner rectangle [x0, x1] x [y0, y1] in the given colour, the rest of the inner area 0.
  Screen_Pixels Screen_With(int x0, int x1, int y0, int y1, std::uint8_t color) const {
    Screen_Pixels screen;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) screen(y, x) = color;
    }
    return screen;
  }

  /// Both screens agree with the expectation over the inner 288 x 192 area.
  void Expect_Inner(const Screen_Pixels& expected) const {
    for (const Screen_Pixels* screen : {&run->Target_Screen, &run->Shown_Screen}) {
      for (int y = 0; y < Inner_Height; ++y) {
        for (int x = 0; x < Inner_Width; ++x) {
          ASSERT_EQ((*screen)(y, x), expected(y, x)) << "x " << x << " y " << y;
        }
      }
    }
  }
};

Pack Tile_With_Rows(Instruction instruction, std::array<std::uint8_t, 4> head, int top, int bottom) {
  std::array<std::uint8_t, 16> data{head[0], head[1], head[2], head[3]};
  data[4] = static_cast<std::uint8_t>(top);
  data[15] = static_cast<std::uint8_t>(bottom);
  return Make_Pack(instruction, data);
}

// Each case feeds its packs one by one and expects the inner area all 0 but for one rectangle
// of one colour and a few single pixels.
TEST_F(Interpreter, PacksPaintTheInnerAreaAsTheyShould) {
  struct Pixel { int x, y, color; };
  struct Case {
    const char* name;
    std::vector<Pack> packs;
    int x0, x1, y0, y1, color;
    std::vector<Pixel> pixels;
  };
  const Pack flip = Tile_With_Rows(Tile_Block_Xor, {3, 5, 2, 2}, 63, 0);  // top row colour 1
  const Pack preset = Make_Pack(Memory_Preset, std::array<std::uint8_t, 2>{6, 3});
  const Case cases[] = {
      {"the border is tile row and column 0", {Solid_Tile(Tile_Block, 0, 5, 1, 1)}, 0, 5, 0, 11, 5, {}},
      {"pixels run from bit five on the left", {Tile_With_Rows(Tile_Block, {2, 9, 16, 48}, 32, 1)},
       282, 287, 180, 191, 2, {{282, 180, 9}, {287, 191, 9}}},
      {"border tiles change nothing inside",
       {Solid_Tile(Tile_Block, 7, 7, 0, 5), Solid_Tile(Tile_Block, 7, 7, 4, 0), Solid_Tile(Tile_Block, 7, 7, 17, 5),
        Solid_Tile(Tile_Block, 7, 7, 4, 49), Solid_Tile(Tile_Block_Xor, 7, 7, 0, 0)}, 0, -1, 0, -1, 0, {}},
      // Row 18 is row 0 (border only), row 19 column 51 row 1 column 1; XOR blocks off the grid do nothing.
      {"normal blocks wrap, XOR blocks beyond the grid do nothing",
       {Solid_Tile(Tile_Block, 0, 4, 18, 3), Solid_Tile(Tile_Block, 0, 4, 19, 51),
        Solid_Tile(Tile_Block_Xor, 0, 4, 21, 1), Solid_Tile(Tile_Block_Xor, 0, 4, 1, 51)}, 0, 5, 0, 11, 4, {}},
      {"XOR flips both colours", {Solid_Tile(Tile_Block, 0, 12, 2, 2), flip}, 6, 11, 12, 23, 12 ^ 3,
       {{6, 12, 9}, {7, 12, 9}, {8, 12, 9}, {9, 12, 9}, {10, 12, 9}, {11, 12, 9}}},
      {"XOR twice undoes itself", {Solid_Tile(Tile_Block, 0, 12, 2, 2), flip, flip}, 6, 11, 12, 23, 12, {}},
      {"a memory preset fills its band of twelve rows", {preset}, 0, 287, 36, 47, 6, {}},
      {"out of range bands are clipped", {Make_Pack(Memory_Preset, std::array<std::uint8_t, 2>{6, 63})},
       0, -1, 0, -1, 0, {}},
      {"colours, border, transparency and unknown packs draw nothing",
       {Make_Pack(Load_Colors_Low, std::array<std::uint8_t, 1>{63}), Make_Pack(Border_Preset, std::array<std::uint8_t, 1>{3}),
        Make_Pack(Define_Transparent, std::array<std::uint8_t, 1>{63}), Make_Pack(20, std::array<std::uint8_t, 1>{63}),
        Make_Pack(50, std::array<std::uint8_t, 1>{63})}, 0, -1, 0, -1, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    run = std::make_unique<Creation_Run>();
    run->Pack_Buffer.Resize(99);
    for (std::size_t i = 0; i < c.packs.size(); ++i) Interpret(c.packs[i], static_cast<std::int64_t>(i));
    Screen_Pixels expected = Screen_With(c.x0, c.x1, c.y0, c.y1, static_cast<std::uint8_t>(c.color));
    for (Pixel p : c.pixels) expected(p.y, p.x) = static_cast<std::uint8_t>(p.color);
    Expect_Inner(expected);
    if (c.packs.front() == preset) { EXPECT_EQ(run->Shown_Screen(36, Inner_Width), 0) << "the band stops at the inner area"; }
  }
  EXPECT_EQ(run->Interpreted_Up_To, 1) << "packs it does not follow leave the mark";
}

TEST_F(Interpreter, SixteenPresetsFillTheWholeInnerArea) {
  std::int64_t slot = 0;
  Write_Memory_Preset(*run, 9, slot);
  Interpret_Packs_Up_To(*run, 16);
  Expect_Inner(Screen_With(0, 287, 0, 191, 9));
}

TEST_F(Interpreter, RangeStartsAfterTheMarkAndEndsBeforeEnd) {
  run->Pack_Buffer.Put(3, Solid_Tile(Tile_Block_Xor, 0, 1, 1, 1));
  run->Pack_Buffer.Put(5, Solid_Tile(Tile_Block_Xor, 0, 2, 1, 1));
  run->Pack_Buffer.Put(9, Solid_Tile(Tile_Block_Xor, 0, 4, 1, 1));
  run->Interpreted_Up_To = 3;
  run->Pack_Pointer = 50;
  Interpret_Packs_Up_To(*run, 9);
  Expect_Inner(Screen_With(0, 5, 0, 11, 2));
  EXPECT_EQ(run->Pack_Pointer, 9);
  EXPECT_EQ(run->Interpreted_Up_To, 8);
  // The pack just past the range is taken up by the next range, not lost.
  Interpret_Packs_Up_To(*run, 10);
  Expect_Inner(Screen_With(0, 5, 0, 11, 2 ^ 4));
}

TEST_F(Interpreter, PointerBehindTheMarkDoesNotApplyPacksTwice) {
  run->Pack_Buffer.Put(3, Solid_Tile(Tile_Block_Xor, 0, 1, 1, 1));
  Interpret_Packs_Up_To(*run, 5);
  run->Pack_Pointer = 0;
  Interpret_Packs_Up_To(*run, 8);
  Expect_Inner(Screen_With(0, 5, 0, 11, 1));
}

TEST_F(Interpreter, RangeStopsAtTheEndOfTheStream) {
  run->Pack_Buffer.Put(99, Solid_Tile(Tile_Block, 0, 1, 1, 1));
  Interpret_Packs_Up_To(*run, 1'000'000);
  Expect_Inner(Screen_With(0, 5, 0, 11, 1));
  EXPECT_EQ(run->Pack_Pointer, 100);
  EXPECT_EQ(run->Interpreted_Up_To, 99);
}

TEST_F(Interpreter, EmptyRangeLeavesTheMark) {
  run->Interpreted_Up_To = 40;
  run->Pack_Pointer = 60;
  Interpret_Packs_Up_To(*run, 30);
  EXPECT_EQ(run->Interpreted_Up_To, 40);
  EXPECT_EQ(run->Pack_Pointer, 41);
}

}  // namespace
}  // namespace lyricanvas
