// Appearance effects: the tile order of every effect and its reversal, and the colours the
// lyrics on screen keep while a picture takes the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cdg/picture_effects.h"

namespace lyricanvas {
namespace {

std::string Effect(const std::string& name, bool reversed = false) {
  return "<Appearance_effect=" + name + "><reverse_effect=" + (reversed ? "1" : "0") + ">";
}

Tile_Order Order_Of(const std::string& properties, unsigned seed = 11) {
  auto target = std::make_unique<Screen_Pixels>();
  Sweep_Random random(seed);
  return Effect_Order(properties, *target, Palette_Table{}, random);
}

std::vector<Tile> Entries(const Tile_Order& order, int from, int to) {
  return {order.entries.begin() + from, order.entries.begin() + to + 1};
}

bool Is_Permutation(const Tile_Order& order) {
  std::set<std::pair<int, int>> seen;
  for (int k = 1; k <= order.count; ++k) {
    const Tile& t = order.entries[static_cast<std::size_t>(k)];
    if (t.row < 1 || t.row > Tile_Rows || t.column < 1 || t.column > Tile_Columns) return false;
    seen.insert({t.row, t.column});
  }
  return order.count == Tile_Count && static_cast<int>(seen.size()) == Tile_Count;
}

TEST(PictureEffects, EveryEffectAndItsReversalTakesEveryTileOnce) {
  for (const std::string name : {"Left to right", "Top to bottom", "Circle out", "Oval out",
                                 "Lightest to darkest", "", "Spiral in"})
    for (bool reversed : {false, true}) {
      const Tile_Order order = Order_Of(Effect(name, reversed));
      EXPECT_TRUE(Is_Permutation(order)) << name << (reversed ? " reversed" : "");
      const Tile_Order forward = Order_Of(Effect(name));
      for (int k = 1; k <= Tile_Count; ++k)
        ASSERT_EQ(order.entries[static_cast<std::size_t>(k)],
                  forward.entries[static_cast<std::size_t>(reversed ? Tile_Count + 1 - k : k)])
            << name << " entry " << k;
    }
}

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

TEST(PictureEffects, TheSameSeedGivesTheSameSweep) {
  const Tile_Order a = Order_Of(Effect("Left to right"), 5);
  const Tile_Order b = Order_Of(Effect("Left to right"), 5);
  const Tile_Order c = Order_Of(Effect("Left to right"), 6);
  EXPECT_EQ(Entries(a, 1, Tile_Count), Entries(b, 1, Tile_Count));
  EXPECT_NE(Entries(a, 1, Tile_Count), Entries(c, 1, Tile_Count));
}

TEST(PictureEffects, GrowingShapesStartInTheMiddleAndEndInTheCorners) {
  const std::vector<Tile> middle{{8, 24}, {8, 25}, {9, 24}, {9, 25}};
  const std::set<std::pair<int, int>> corners{{1, 1}, {1, 48}, {16, 1}, {16, 48}};
  auto as_set = [](const std::vector<Tile>& tiles) {
    std::set<std::pair<int, int>> s;
    for (const Tile& t : tiles) s.insert({t.row, t.column});
    return s;
  };
  for (const std::string name : {"Circle out", "Oval out"}) {
    const Tile_Order out = Order_Of(Effect(name));
    EXPECT_EQ(Entries(out, 1, 4), middle) << name;
    EXPECT_EQ(as_set(Entries(out, Tile_Count - 3, Tile_Count)), corners) << name;
    const Tile_Order in = Order_Of(Effect(name, true));
    EXPECT_EQ(as_set(Entries(in, 1, 4)), corners) << name << " reversed";
    EXPECT_EQ(as_set(Entries(in, Tile_Count - 3, Tile_Count)), as_set(middle)) << name << " reversed";
  }
}

TEST(PictureEffects, LightestTilesComeFirstAndTiesGoByRowThenColumn) {
  auto target = std::make_unique<Screen_Pixels>();
  Palette_Table palette{};
  palette[1] = {0, 15, 15, 15};
  palette[2] = {0, 8, 8, 8};
  auto paint = [&](int row, int column, std::uint8_t index) {
    for (int y = 12 * (row - 1); y < 12 * row; ++y)
      for (int x = 6 * (column - 1); x < 6 * column; ++x) (*target)(y, x) = index;
  };
  paint(3, 40, 1);
  paint(3, 5, 1);
  paint(2, 47, 2);
  paint(16, 48, 2);
  Sweep_Random random(1);
  const Tile_Order order = Effect_Order(Effect("Lightest to darkest"), *target, palette, random);
  EXPECT_EQ(Entries(order, 1, 5), (std::vector<Tile>{{3, 5}, {3, 40}, {2, 47}, {16, 48}, {1, 1}}));
}

TEST(PictureEffects, WithoutAKnownEffectTilesComeColumnByColumn) {
  for (const std::string& properties : {std::string(), Effect(""), Effect("Spiral in")}) {
    const Tile_Order order = Order_Of(properties);
    EXPECT_EQ(Entries(order, 1, 3), (std::vector<Tile>{{1, 1}, {2, 1}, {3, 1}})) << properties;
    EXPECT_EQ(order.entries[17], (Tile{1, 2})) << properties;
  }
}

TEST(PictureEffects, OfferingATileTwiceOrOffTheGridChangesNothing) {
  Tile_Order order;
  ASSERT_FALSE(Add_Tile(order, 4, 7));
  const Tile_Order before = order;
  for (const auto& [row, column] : std::vector<std::pair<int, int>>{
           {4, 7}, {0, 5}, {17, 5}, {5, 0}, {5, 49}, {-1, -1}}) {
    EXPECT_FALSE(Add_Tile(order, row, column)) << row << "," << column;
    EXPECT_EQ(order.count, before.count) << row << "," << column;
    EXPECT_EQ(order.taken, before.taken) << row << "," << column;
  }
}

}  // namespace
}  // namespace lyricanvas
