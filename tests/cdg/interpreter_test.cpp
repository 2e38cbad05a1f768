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

TEST_F(Interpreter, TileGridCountsTheBorderAsRowAndColumnZero) {
  Interpret(Solid_Tile(Tile_Block, 0, 5, 1, 1));
  Expect_Inner(Screen_With(0, 5, 0, 11, 5));
  EXPECT_EQ(run->Interpreted_Up_To, 0);
}

TEST_F(Interpreter, TilePixelsRunFromBitFiveOnTheLeft) {
  std::array<std::uint8_t, 16> data{2, 9, 16, 48};
  data[4] = 32;  // top row: leftmost pixel only
  data[15] = 1;  // bottom row: rightmost pixel only
  Interpret(Make_Pack(Tile_Block, data));
  Screen_Pixels expected = Screen_With(282, 287, 180, 191, 2);
  expected(180, 282) = 9;
  expected(191, 287) = 9;
  Expect_Inner(expected);
}

TEST_F(Interpreter, BorderTilesChangeNothingInside) {
  Interpret(Solid_Tile(Tile_Block, 7, 7, 0, 5));
  Interpret(Solid_Tile(Tile_Block, 7, 7, 4, 0));
  Interpret(Solid_Tile(Tile_Block, 7, 7, 17, 5));
  Interpret(Solid_Tile(Tile_Block, 7, 7, 4, 49));
  Interpret(Solid_Tile(Tile_Block_Xor, 7, 7, 0, 0));
  Expect_Inner(Screen_Pixels{});
}

TEST_F(Interpreter, NormalBlocksWrapRowsAndColumnsButXorBlocksBeyondTheGridDoNothing) {
  Interpret(Solid_Tile(Tile_Block, 0, 4, 18, 3));  // row 18 is row 0: border only
  Expect_Inner(Screen_Pixels{});
  Interpret(Solid_Tile(Tile_Block, 0, 4, 19, 51));  // row 1, column 1
  Expect_Inner(Screen_With(0, 5, 0, 11, 4));
  Interpret(Solid_Tile(Tile_Block_Xor, 0, 4, 21, 1));
  Interpret(Solid_Tile(Tile_Block_Xor, 0, 4, 1, 51));
  Expect_Inner(Screen_With(0, 5, 0, 11, 4));
}

TEST_F(Interpreter, XorBlocksFlipBothColoursAndUndoThemselves) {
  Interpret(Solid_Tile(Tile_Block, 0, 12, 2, 2));
  std::array<std::uint8_t, 16> data{3, 5, 2, 2};
  data[4] = 63;  // the top row takes colour 1, the rest colour 0
  const Pack flip = Make_Pack(Tile_Block_Xor, data);
  Interpret(flip);
  Screen_Pixels expected = Screen_With(6, 11, 12, 23, 12 ^ 3);
  for (int x = 6; x <= 11; ++x) expected(12, x) = 12 ^ 5;
  Expect_Inner(expected);
  Interpret(flip);
  Expect_Inner(Screen_With(6, 11, 12, 23, 12));
}

TEST_F(Interpreter, MemoryPresetFillsItsBandOfTwelveRows) {
  std::array<std::uint8_t, 2> data{6, 3};
  Interpret(Make_Pack(Memory_Preset, data));
  Expect_Inner(Screen_With(0, 287, 36, 47, 6));
  EXPECT_EQ(run->Shown_Screen(36, 288), 0) << "the column beyond the inner area is not filled";
}

TEST_F(Interpreter, SixteenPresetsFillTheWholeInnerArea) {
  std::int64_t slot = 0;
  Write_Memory_Preset(*run, 9, slot);
  Interpret_Packs_Up_To(*run, 16);
  Expect_Inner(Screen_With(0, 287, 0, 191, 9));
}

TEST_F(Interpreter, OutOfRangeBandsAreClippedSafely) {
  std::array<std::uint8_t, 2> data{6, 63};
  Interpret(Make_Pack(Memory_Preset, data));
  Expect_Inner(Screen_Pixels{});
}

TEST_F(Interpreter, PaletteAndBorderPacksMoveTheMarkButNoPixel) {
  Interpret(Make_Pack(Load_Colors_Low, std::array<std::uint8_t, 1>{63}), 4);
  EXPECT_EQ(run->Interpreted_Up_To, 4);
  Interpret(Make_Pack(Border_Preset, std::array<std::uint8_t, 1>{3}), 5);
  EXPECT_EQ(run->Interpreted_Up_To, 5);
  Interpret(Make_Pack(Define_Transparent, std::array<std::uint8_t, 1>{63}), 6);
  Interpret(Make_Pack(20, std::array<std::uint8_t, 1>{63}), 7);
  Interpret(Make_Pack(50, std::array<std::uint8_t, 1>{63}), 8);
  EXPECT_EQ(run->Interpreted_Up_To, 5) << "packs it does not follow leave the mark";
  Interpret_Pack(*run, 9);  // empty
  EXPECT_EQ(run->Interpreted_Up_To, 5);
  Expect_Inner(Screen_Pixels{});
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
