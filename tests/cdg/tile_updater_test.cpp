#include "cdg/tile_updater.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "cdg/interpreter.h"
#include "cdg/packs.h"

namespace lyricanvas {
namespace {

struct TileUpdater : ::testing::Test {
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  void SetUp() override { run->Pack_Buffer.Resize(199); }

  /// Sets the target of tile (column, row) to colours from a function of the pixel (0..5, 0..11).
  template <typename F>
  void Set_Tile(Screen_Pixels& screen, int column, int row, F color_of) {
    for (int r = 0; r < 12; ++r) {
      for (int k = 0; k < 6; ++k) {
        screen(12 * (row - 1) + r, 6 * (column - 1) + k) =
            static_cast<std::uint8_t>(color_of(k, r));
      }
    }
  }

  bool Tile_Equal(const Screen_Pixels& a, const Screen_Pixels& b, int column, int row) const {
    for (int r = 0; r < 12; ++r) {
      for (int k = 0; k < 6; ++k) {
        const int y = 12 * (row - 1) + r;
        const int x = 6 * (column - 1) + k;
        if (a(y, x) != b(y, x)) return false;
      }
    }
    return true;
  }

  /// What the stream shows when played from `start` on over a screen that showed `before`.
  Screen_Pixels Replay(Screen_Pixels before, std::int64_t from, std::int64_t to) const {
    for (std::int64_t s = from; s < to; ++s) {
      if (run->Pack_Buffer.Occupied(s)) Apply_Pack(before, run->Pack_Buffer.At(s));
    }
    return before;
  }

  Pack Xor_Pack(int color, int row, int column) const {
    std::array<std::uint8_t, 16> data{0, static_cast<std::uint8_t>(color),
                                      static_cast<std::uint8_t>(row),
                                      static_cast<std::uint8_t>(column)};
    for (int r = 0; r < 12; r += 2) data[static_cast<std::size_t>(4 + r)] = 0b101010;
    return Make_Pack(Tile_Block_Xor, data);
  }
};

TEST_F(TileUpdater, UnchangedTilePlacesNothing) {
  Set_Tile(run->Target_Screen, 4, 4, [](int k, int r) { return (k + r) % 16; });
  Set_Tile(run->Shown_Screen, 4, 4, [](int k, int r) { return (k + r) % 16; });
  run->Pack_Pointer = 10;
  EXPECT_EQ(Update_Tile(*run, 4, 4), 0);
  EXPECT_EQ(run->Pack_Pointer, 10);
  EXPECT_EQ(run->Pack_Log_Count, 0);
  EXPECT_FALSE(run->Pack_Buffer.Occupied(10));
}

TEST_F(TileUpdater, TilesOutsideTheInnerGridAreRefused) {
  run->Target_Screen.Fill(7);
  for (const auto& [column, row] : {std::pair{0, 1}, {49, 1}, {1, 0}, {1, 17}}) {
    EXPECT_EQ(Update_Tile(*run, column, row), 0);
  }
  EXPECT_EQ(run->Pack_Pointer, 0);
  EXPECT_EQ(run->Shown_Screen, Screen_Pixels{});
}

TEST_F(TileUpdater, TwoColourTileIsOneNormalBlock) {
  Set_Tile(run->Target_Screen, 2, 3, [](int k, int r) { return k == 0 && r == 0 ? 9 : 4; });
  run->Pack_Pointer = 7;
  EXPECT_EQ(Update_Tile(*run, 2, 3), 1);
  const Pack& pack = run->Pack_Buffer.At(7);
  EXPECT_EQ(pack[1], Tile_Block);
  EXPECT_EQ(pack[4], 4);  // colour 0: the smaller colour
  EXPECT_EQ(pack[5], 9);
  EXPECT_EQ(pack[6], 3);  // row
  EXPECT_EQ(pack[7], 2);  // column
  EXPECT_EQ(pack[8], 32);
  for (int r = 1; r < 12; ++r) EXPECT_EQ(pack[static_cast<std::size_t>(8 + r)], 0);
  EXPECT_EQ(run->Pack_Pointer, 8);
  EXPECT_TRUE(Tile_Equal(run->Shown_Screen, run->Target_Screen, 2, 3));
  EXPECT_EQ(run->Pack_Log_Count, 1);
  EXPECT_EQ(run->Pack_Log[1], 7);
}

TEST_F(TileUpdater, UniformChangeOfAManyColouredTileIsOneXorBlock) {
  Set_Tile(run->Shown_Screen, 5, 5, [](int k, int r) { return (k * 3 + r) % 16; });
  Set_Tile(run->Target_Screen, 5, 5, [](int k, int r) { return ((k * 3 + r) % 16) ^ 6; });
  EXPECT_EQ(Update_Tile(*run, 5, 5), 1);
  const Pack& pack = run->Pack_Buffer.At(0);
  EXPECT_EQ(pack[1], Tile_Block_Xor);
  EXPECT_EQ(pack[4], 6);
  for (int r = 0; r < 12; ++r) EXPECT_EQ(pack[static_cast<std::size_t>(8 + r)], 0);
}

TEST(TilePlanning, ModesAndPackCounts) {
  struct Case { std::vector<int> classes; char mode; int packs; };
  // An unchanged tile needs no XOR pack; three classes need a second pack.
  for (const Case& c : {Case{{0}, 'E', 0}, {{0}, 'P', 1}, {{1, 2, 4}, 'P', 2}, {{1, 2, 3}, 'P', 2},
                        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 'P', 4},
                        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 'E', 4}}) {
    std::array<bool, 16> present{};
    for (int v : c.classes) present[static_cast<std::size_t>(v)] = true;
    Tile_Plan plan;
    EXPECT_EQ(Plan_Tile_Packs(present, c.mode, plan), c.packs) << c.mode << " " << c.classes.size();
  }
}

// Any target over any shown tile: the packs placed, played by the interpreter, give the target.
TEST_F(TileUpdater, PlannedPacksAlwaysProduceTheTarget) {
  std::mt19937 random(20240611);
  run->Pack_Buffer.Resize(99);
  std::array<int, 5> mode_counts{};
  for (int trial = 0; trial < 6000; ++trial) {
    SCOPED_TRACE(trial);
    const int column = 1 + static_cast<int>(random() % 48);
    const int row = 1 + static_cast<int>(random() % 16);
    std::array<int, 16> colors{};
    const int color_count = 1 + static_cast<int>(random() % 16);
    for (auto& c : colors) c = static_cast<int>(random() % 16);
    Set_Tile(run->Target_Screen, column, row,
             [&](int, int) { return colors[static_cast<std::size_t>(random() % color_count)]; });
    switch (trial % 3) {
      case 0:  // unrelated picture
        Set_Tile(run->Shown_Screen, column, row, [&](int, int) { return random() % 16; });
        break;
      case 1: {  // the target with a few colours swapped by XOR
        const int flip = static_cast<int>(random() % 16);
        Set_Tile(run->Shown_Screen, column, row, [&](int k, int r) {
          const int y = 12 * (row - 1) + r;
          const int x = 6 * (column - 1) + k;
          return run->Target_Screen(y, x) ^ (random() % 4 == 0 ? flip : 0);
        });
        break;
      }
      default:  // a plain background
        Set_Tile(run->Shown_Screen, column, row, [&](int, int) { return trial % 16; });
    }
    const Screen_Pixels before = run->Shown_Screen;
    run->Pack_Buffer.Resize(99);
    run->Pack_Pointer = 0;
    run->Pack_Log_Count = 0;
    const int placed = Update_Tile(*run, column, row);
    ASSERT_LE(placed, 4);
    mode_counts[static_cast<std::size_t>(placed)]++;
    ASSERT_EQ(run->Pack_Pointer, placed);
    const Screen_Pixels after = Replay(before, 0, placed);
    ASSERT_TRUE(Tile_Equal(after, run->Target_Screen, column, row));
    ASSERT_EQ(after, run->Shown_Screen) << "the model agrees with what was played";
  }
  EXPECT_GT(mode_counts[3], 0);
  EXPECT_GT(mode_counts[4], 0);
}

TEST_F(TileUpdater, SkipsOccupiedSlotsAndInterpretsThem) {
  const Pack foreign = Xor_Pack(5, 9, 9);
  run->Pack_Buffer.Put(1, foreign);
  run->Pack_Buffer.Put(2, Make_Pack(Load_Colors_Low, std::array<std::uint8_t, 1>{7}));
  Set_Tile(run->Target_Screen, 1, 1, [](int k, int) { return k % 3; });  // three colours: two packs
  const Screen_Pixels before = run->Shown_Screen;
  EXPECT_EQ(Update_Tile(*run, 1, 1), 2);
  EXPECT_EQ(run->Pack_Buffer.At(1), foreign);
  EXPECT_EQ(run->Pack_Buffer.At(2)[1], Load_Colors_Low);
  EXPECT_EQ(run->Pack_Buffer.At(0)[1], Tile_Block);
  EXPECT_EQ(run->Pack_Buffer.At(3)[1], Tile_Block_Xor);
  EXPECT_EQ(run->Pack_Pointer, 4);
  EXPECT_EQ(run->Pack_Log_Count, 2);
  EXPECT_EQ(run->Pack_Log[2], 3);
  EXPECT_EQ(run->Shown_Screen(96, 48), 5) << "the skipped pack's tile was interpreted";
  EXPECT_EQ(run->Target_Screen(96, 48), 5);
  EXPECT_EQ(Replay(before, 0, 4), run->Shown_Screen);
}

// A pack already in the stream on the very tile being drawn (a wipe, say) still leaves the
// screen as the stream really shows it.
TEST_F(TileUpdater, SkippedPackOnTheSameTileStillEndsAtTheTarget) {
  for (const bool normal_first : {true, false}) {
    SCOPED_TRACE(normal_first);
    run->Pack_Buffer.Resize(199);
    run->Target_Screen.Fill(0);
    run->Shown_Screen.Fill(0);
    run->Pack_Pointer = 0;
    run->Pack_Buffer.Put(1, Xor_Pack(6, 2, 3));
    if (normal_first) {
      Set_Tile(run->Target_Screen, 3, 2, [](int k, int r) { return (k + r) % 3 + 1; });
    } else {
      Set_Tile(run->Shown_Screen, 3, 2, [](int k, int r) { return (k * r) % 7; });
      Set_Tile(run->Target_Screen, 3, 2,
               [](int k, int r) { return ((k * r) % 7) ^ (k % 2 ? 9 : 0); });
    }
    const Screen_Pixels before = run->Shown_Screen;
    Update_Tile(*run, 3, 2);
    const Screen_Pixels played = Replay(before, 0, run->Pack_Pointer);
    EXPECT_EQ(played, run->Shown_Screen);
    EXPECT_TRUE(Tile_Equal(played, run->Target_Screen, 3, 2));
  }
}

TEST_F(TileUpdater, LeavesTheTileWhenThePacksWouldRunPastTheStream) {
  Set_Tile(run->Target_Screen, 6, 6, [](int k, int) { return k % 3; });  // needs two packs
  run->Pack_Pointer = 198;
  EXPECT_EQ(Update_Tile(*run, 6, 6), 0);
  run->Pack_Pointer = 195;
  for (std::int64_t s = 196; s <= 198; ++s) run->Pack_Buffer.Put(s, Xor_Pack(1, 1, 1));
  EXPECT_EQ(Update_Tile(*run, 6, 6), 0) << "skipping would push the packs past the end";
  EXPECT_EQ(run->Pack_Pointer, 195);
  EXPECT_EQ(run->Pack_Log_Count, 0);
  EXPECT_FALSE(run->Pack_Buffer.Occupied(195));
  EXPECT_FALSE(run->Pack_Buffer.Occupied(199));
  EXPECT_EQ(run->Shown_Screen, Screen_Pixels{}) << "the shown tile stays as it is";
  run->Pack_Pointer = 197;
  for (std::int64_t s = 196; s <= 198; ++s) run->Pack_Buffer.Clear_Slot(s);
  EXPECT_EQ(Update_Tile(*run, 6, 6), 2);
  EXPECT_EQ(run->Pack_Pointer, 199);
}

TEST_F(TileUpdater, LogHoldsAtMostItsCapacityAndTakeBackEmptiesLoggedSlotsOnly) {
  run->Pack_Buffer.Put(0, Make_Pack(Border_Preset, std::array<std::uint8_t, 1>{1}));
  Set_Tile(run->Target_Screen, 1, 1, [](int, int) { return 3; });
  Set_Tile(run->Target_Screen, 2, 1, [](int k, int) { return k % 3; });
  Update_Tile(*run, 1, 1);
  Update_Tile(*run, 2, 1);
  EXPECT_EQ(run->Pack_Log_Count, 3);
  Take_Back_Packs(*run);
  EXPECT_EQ(run->Pack_Log_Count, 0);
  EXPECT_TRUE(run->Pack_Buffer.Occupied(0));
  for (std::int64_t s = 1; s <= 3; ++s) EXPECT_FALSE(run->Pack_Buffer.Occupied(s));

  run->Pack_Log_Count = Pack_Log_Capacity;
  run->Pack_Log[Pack_Log_Capacity] = 42;
  Set_Tile(run->Target_Screen, 3, 1, [](int, int) { return 5; });
  EXPECT_EQ(Update_Tile(*run, 3, 1), 1);
  EXPECT_EQ(run->Pack_Log_Count, Pack_Log_Capacity);
  EXPECT_EQ(run->Pack_Log[Pack_Log_Capacity], 42);
}

TEST_F(TileUpdater, AllTilesGoColumnByColumnAndMarkTheStreamInterpreted) {
  run->Pack_Buffer.Resize(2000);
  for (int y = 0; y < Inner_Height; ++y) {
    for (int x = 0; x < Inner_Width; ++x)
      run->Target_Screen(y, x) = static_cast<std::uint8_t>(1 + (x / 6 + y / 12) % 2);
  }
  run->Pack_Pointer = 10;
  Update_All_Tiles(*run);
  EXPECT_EQ(run->Pack_Pointer, 10 + 768);
  EXPECT_EQ(run->Interpreted_Up_To, run->Pack_Pointer - 1);
  EXPECT_EQ(run->Shown_Screen, run->Target_Screen);
  for (int i = 0; i < 768; ++i) {
    const Pack& pack = run->Pack_Buffer.At(10 + i);
    ASSERT_EQ(pack[7], 1 + i / 16);
    ASSERT_EQ(pack[6], 1 + i % 16);
  }
  EXPECT_EQ(Replay(Screen_Pixels{}, 0, run->Pack_Pointer), run->Target_Screen);
}

}  // namespace
}  // namespace lyricanvas
