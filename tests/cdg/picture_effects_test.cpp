// Appearance effects: the order in which a picture's tiles are drawn, and its reversal.
#include "cdg/picture_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace lyricanvas {
namespace {

using Tiles = std::vector<Tile>;
using Tile_Set = std::set<std::pair<int, int>>;

std::string Effect(const std::string& name, bool reversed = false) {
  return "<Appearance_effect=" + name + "><reverse_effect=" + (reversed ? "1" : "0") + ">";
}

Tile_Order Order_Of(const std::string& properties, unsigned seed = 11) {
  auto target = std::make_unique<Screen_Pixels>();
  Sweep_Random random(seed);
  return Effect_Order(properties, *target, Palette_Table{}, random);
}

Tiles Entries(const Tile_Order& order, int from, int to) {
  return {order.entries.begin() + from, order.entries.begin() + to + 1};
}

Tile_Set As_Set(const Tiles& tiles) {
  Tile_Set set;
  for (const Tile& t : tiles) set.insert({t.row, t.column});
  return set;
}

// Every effect, reversed or not, takes every tile of the grid once; reversed, in reverse.
TEST(PictureEffects, EveryEffectAndItsReversalTakesEveryTileOnce) {
  for (const std::string name : {"Left to right", "Top to bottom", "Circle out", "Oval out",
                                 "Lightest to darkest", "Spiral in"})
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(name + (reversed ? " reversed" : ""));
      const Tile_Order order = Order_Of(Effect(name, reversed));
      const Tiles all = Entries(order, 1, Tile_Count);
      ASSERT_EQ(order.count, Tile_Count);
      EXPECT_EQ(As_Set(all).size(), static_cast<std::size_t>(Tile_Count));
      for (const Tile& t : all)
        ASSERT_TRUE(t.row >= 1 && t.row <= Tile_Rows && t.column >= 1 && t.column <= Tile_Columns);
      Tiles forward = Entries(Order_Of(Effect(name)), 1, Tile_Count);
      if (reversed) std::reverse(forward.begin(), forward.end());
      EXPECT_EQ(all, forward);
    }
}

// A sweep's tiles never lag more than two behind its ragged front.
TEST(PictureEffects, SweepsFollowTheirFront) {
  struct Case {
    const char* effect;
    int Tile::*along;  ///< the coordinate the front moves in
  };
  for (const Case c : {Case{"Left to right", &Tile::column}, Case{"Top to bottom", &Tile::row}}) {
    const Tile_Order order = Order_Of(Effect(c.effect));
    int front = 0;
    for (int k = 1; k <= Tile_Count; ++k) {
      const int at = order.entries[static_cast<std::size_t>(k)].*c.along;
      ASSERT_GE(at, front - 2) << c.effect << " entry " << k << " lags behind the front";
      front = std::max(front, at);
    }
    EXPECT_EQ(order.entries[1].*c.along, 1) << c.effect;
  }
}

// Growing shapes start in the middle and end in the corners; without a known effect tiles come
// column by column.
TEST(PictureEffects, ShapesAndTheDefaultOrderStartAndEndWhereTheyShould) {
  const Tiles middle{{8, 24}, {8, 25}, {9, 24}, {9, 25}};
  const Tile_Set corners{{1, 1}, {1, 48}, {16, 1}, {16, 48}};
  const Tile_Set last_column{{13, 48}, {14, 48}, {15, 48}, {16, 48}};
  Tiles column_one;
  for (int row = 1; row <= Tile_Rows; ++row) column_one.push_back({row, 1});
  column_one.push_back({1, 2});
  struct Case {
    std::string properties;
    Tiles first;      ///< the first tiles in this order
    Tile_Set last_4;  ///< the last four in any order
  };
  const Case cases[] = {
      {Effect("Circle out"), middle, corners},
      {Effect("Oval out"), middle, corners},
      {Effect("Spiral in"), column_one, last_column},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.properties);
    const Tile_Order order = Order_Of(c.properties);
    EXPECT_EQ(Entries(order, 1, static_cast<int>(c.first.size())), c.first);
    EXPECT_EQ(As_Set(Entries(order, Tile_Count - 3, Tile_Count)), c.last_4);
  }
}

TEST(PictureEffects, LightestTilesComeFirstAndTiesGoByRowThenColumn) {
  auto target = std::make_unique<Screen_Pixels>();
  Palette_Table palette{};
  palette[1] = {0, 15, 15, 15};
  palette[2] = {0, 8, 8, 8};
  for (const auto& [row, column, index] :
       {std::array{3, 40, 1}, {3, 5, 1}, {2, 47, 2}, {16, 48, 2}})
    for (int y = 12 * (row - 1); y < 12 * row; ++y)
      for (int x = 6 * (column - 1); x < 6 * column; ++x)
        (*target)(y, x) = static_cast<std::uint8_t>(index);
  Sweep_Random random(1);
  const Tile_Order order = Effect_Order(Effect("Lightest to darkest"), *target, palette, random);
  EXPECT_EQ(Entries(order, 1, 5), (Tiles{{3, 5}, {3, 40}, {2, 47}, {16, 48}, {1, 1}}));
}

}  // namespace
}  // namespace lyricanvas
