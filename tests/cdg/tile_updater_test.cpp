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

  /// Sets tile (column, row) of a screen to colours from a function of the pixel (0..5, 0..11).
  template <typename F>
  static void Set_Tile(Screen_Pixels& screen, int column, int row, F color_of) {
    for (int r = 0; r < 12; ++r)
      for (int k = 0; k < 6; ++k)
        screen(12 * (row - 1) + r, 6 * (column - 1) + k) =
            static_cast<std::uint8_t>(color_of(k, r));
  }

  static bool Tile_Equal(const Screen_Pixels& a, const Screen_Pixels& b, int column, int row) {
    for (int y = 12 * (row - 1); y < 12 * row; ++y)
      for (int x = 6 * (column - 1); x < 6 * column; ++x)
        if (a(y, x) != b(y, x)) return false;
    return true;
  }

  /// What the stream's slots [from, to) show over a screen that showed `before`.
  Screen_Pixels Replay(Screen_Pixels before, std::int64_t from, std::int64_t to) const {
    for (std::int64_t s = from; s < to; ++s)
      if (run->Pack_Buffer.Occupied(s)) Apply_Pack(before, run->Pack_Buffer.At(s));
    return before;
  }
};

// Any target over any shown tile: the packs placed, played by the interpreter, give the target.
TEST_F(TileUpdater, PlannedPacksAlwaysProduceTheTarget) {
  std::mt19937 random(20240611);
  std::array<int, 5> placed_counts{};
  for (int trial = 0; trial < 6000; ++trial) {
    SCOPED_TRACE(trial);
    const int column = 1 + static_cast<int>(random() % 48);
    const int row = 1 + static_cast<int>(random() % 16);
    std::array<int, 16> colors{};
    const int color_count = 1 + static_cast<int>(random() % 16);
    for (auto& c : colors) c = static_cast<int>(random() % 16);
    Set_Tile(run->Target_Screen, column, row,
             [&](int, int) { return colors[static_cast<std::size_t>(random() % color_count)]; });
    const int flip = static_cast<int>(random() % 16);
    // An unrelated picture, the target with a few colours swapped by XOR, or a plain background.
    Set_Tile(run->Shown_Screen, column, row, [&](int k, int r) -> int {
      if (trial % 3 == 0) return static_cast<int>(random() % 16);
      if (trial % 3 == 2) return trial % 16;
      const int target = run->Target_Screen(12 * (row - 1) + r, 6 * (column - 1) + k);
      return target ^ (random() % 4 == 0 ? flip : 0);
    });
    const Screen_Pixels before = run->Shown_Screen;
    run->Pack_Buffer.Resize(99);
    run->Pack_Pointer = 0;
    run->Pack_Log_Count = 0;
    const int placed = Update_Tile(*run, column, row);
    ASSERT_LE(placed, 4);
    placed_counts[static_cast<std::size_t>(placed)]++;
    ASSERT_EQ(run->Pack_Pointer, placed);
    const Screen_Pixels after = Replay(before, 0, placed);
    ASSERT_TRUE(Tile_Equal(after, run->Target_Screen, column, row));
    ASSERT_EQ(after, run->Shown_Screen) << "the model agrees with what was played";
  }
  EXPECT_GT(placed_counts[3], 0);
  EXPECT_GT(placed_counts[4], 0);
}

// A tile already shown, or off the grid, places nothing; a uniform change of a many-coloured
// tile is one XOR block, placed even when the log of packs to take back is full.
TEST_F(TileUpdater, PlacesOnlyWhatTheTileNeeds) {
  run->Target_Screen.Fill(7);
  Set_Tile(run->Target_Screen, 4, 4, [](int k, int r) { return (k + r) % 16; });
  Set_Tile(run->Shown_Screen, 4, 4, [](int k, int r) { return (k + r) % 16; });
  run->Pack_Pointer = 10;
  for (const auto& [column, row] : {std::pair{4, 4}, {0, 1}, {49, 1}, {1, 0}, {1, 17}})
    EXPECT_EQ(Update_Tile(*run, column, row), 0) << column << "," << row;
  EXPECT_EQ(run->Pack_Pointer, 10);
  run->Pack_Log_Count = Pack_Log_Capacity;
  run->Pack_Log[Pack_Log_Capacity] = 42;
  Set_Tile(run->Shown_Screen, 5, 5, [](int k, int r) { return (k * 3 + r) % 16; });
  Set_Tile(run->Target_Screen, 5, 5, [](int k, int r) { return ((k * 3 + r) % 16) ^ 6; });
  EXPECT_EQ(Update_Tile(*run, 5, 5), 1);
  const Pack& pack = run->Pack_Buffer.At(10);
  EXPECT_EQ(pack[1], Tile_Block_Xor);
  EXPECT_EQ(pack[4], 6);
  for (int r = 0; r < 12; ++r) EXPECT_EQ(pack[static_cast<std::size_t>(8 + r)], 0);
  EXPECT_EQ(run->Pack_Log[Pack_Log_Capacity], 42);
}

TEST_F(TileUpdater, LeavesTheTileWhenThePacksWouldRunPastTheStream) {
  Set_Tile(run->Target_Screen, 6, 6, [](int k, int) { return k % 3; });  // needs two packs
  run->Pack_Pointer = 198;
  EXPECT_EQ(Update_Tile(*run, 6, 6), 0);
  run->Pack_Pointer = 195;
  for (std::int64_t s = 196; s <= 198; ++s)
    run->Pack_Buffer.Put(s, Make_Pack(Load_Colors_Low, std::array<std::uint8_t, 1>{1}));
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

TEST_F(TileUpdater, AllTilesAreDrawnAndMarkTheStreamInterpreted) {
  run->Pack_Buffer.Resize(2000);
  for (int y = 0; y < Inner_Height; ++y)
    for (int x = 0; x < Inner_Width; ++x)
      run->Target_Screen(y, x) = static_cast<std::uint8_t>(1 + (x / 6 + y / 12) % 2);
  run->Pack_Pointer = 10;
  Update_All_Tiles(*run);
  EXPECT_EQ(run->Pack_Pointer, 10 + 768);
  EXPECT_EQ(run->Interpreted_Up_To, run->Pack_Pointer - 1);
  EXPECT_EQ(Replay(Screen_Pixels{}, 0, run->Pack_Pointer), run->Target_Screen);
}

}  // namespace
}  // namespace lyricanvas
