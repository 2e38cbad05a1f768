#include "cdg/fades.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "cdg/packs.h"

namespace lyricanvas {
namespace {

constexpr std::int64_t P = 1000;  ///< where each fade starts

Palette_Table Uniform(int level) {
  Palette_Table palette{};
  for (auto& entry : palette) entry = {level, level, level, level};
  return palette;
}

/// Slots t and t + 1 for t from first to last in steps: both halves of each colour table.
std::vector<std::int64_t> Pairs(std::int64_t first, std::int64_t step, std::int64_t last) {
  std::vector<std::int64_t> taken;
  for (std::int64_t t = first; t <= last; t += step) taken.insert(taken.end(), {t, t + 1});
  return taken;
}

// Cheap DVD sends six steps rounded half up; smooth (also for an unknown style) sends on
// even steps only when something changed; "None", with no time reserved for it, switches once
// where the plan puts the change. Both halves end on the target's colour k; packs beyond the
// stream are dropped.
TEST(Fades, ColourTablesGoWhereTheStyleSchedulesThem) {
  struct Case {
    const char* style;
    int from, to, k;  ///< to -1: a table of sixteen colours
    std::int64_t last_slot;
    std::vector<std::int64_t> taken;
    std::int64_t pointer;
    std::vector<std::pair<std::int64_t, int>> levels = {};  ///< of every colour on the way
    std::vector<std::int64_t> wipes = {};  ///< slots holding wipe packs before the fade
  };
  const char *dvd = "Cheap DVD fading", *smooth = "Smooth fading";
  const std::vector<std::int64_t> around_wipes = {50,  51,  100, 101, 150, 151, 200,
                                                  201, 250, 251, 300, 301, 302, 303};
  const Case cases[] = {
      {dvd, 0, 15, 0, 2000, Pairs(50, 50, 300), 302, {{50, 3}, {150, 8}}},  // 2.5 rounds up
      {smooth, 0, 15, 0, 2000, Pairs(10, 20, 290), 292},
      {"Sparkle", 0, 15, 0, 2000, Pairs(10, 20, 290), 292},
      {smooth, 9, 9, 4, 2000, {}, 2},
      {"None", 9, 9, 4, 2000, {}, 0},  // never moves the pointer back
      {"None", 0, 15, 0, 2000, {0, 1}, 2},
      {"None", 0, -1, 5, 2000, {0, 1}, 2},
      {dvd, 0, 15, 0, 1100, {50, 51, 100}, 302},
      // Wipe packs keep their slots; the step due there takes the next free ones.
      {dvd, 0, 15, 0, 2000, around_wipes, 304, {}, {300, 301}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.style) + " to " + std::to_string(c.to));
    Palette_Table target = Uniform(c.to);
    if (c.to < 0)
      for (int i = 0; i < 16; ++i) target[static_cast<std::size_t>(i)] = {0, i, 15 - i, i / 2};
    auto run = std::make_unique<Creation_Run>();
    run->Pack_Buffer.Resize(c.last_slot);
    run->Pack_Pointer = P;
    for (const std::int64_t s : c.wipes)
      run->Pack_Buffer.Put(P + s, Make_Pack(Tile_Block_Xor, std::array<std::uint8_t, 1>{2}));
    Fade(*run, Uniform(c.from), target, c.k, c.style);
    std::vector<std::int64_t> taken;  // occupied, from P on
    for (std::int64_t s = 0; s <= run->Pack_Buffer.Last_Slot(); ++s)
      if (run->Pack_Buffer.Occupied(s)) taken.push_back(s - P);
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(run->Pack_Pointer - P, c.pointer);
    EXPECT_EQ(run->Pack_Buffer.Size(), c.last_slot + 1);
    // Colour `entry` (0..7) of the table at P + offset, as placed.
    auto color = [&](std::int64_t offset, int entry) {
      const Pack& pack = run->Pack_Buffer.At(P + offset);
      return std::array{pack[static_cast<std::size_t>(4 + 2 * entry)],
                        pack[static_cast<std::size_t>(5 + 2 * entry)]};
    };
    for (const std::int64_t s : taken) {
      const bool wiped = std::find(c.wipes.begin(), c.wipes.end(), s) != c.wipes.end();
      const int table = s % 2 ? Load_Colors_High : Load_Colors_Low;
      EXPECT_EQ(run->Pack_Buffer.At(P + s)[1], wiped ? Tile_Block_Xor : table) << s;
    }
    const auto& goal = target[static_cast<std::size_t>(c.k)];
    for (int entry = 0; entry < 8 && !taken.empty() && c.last_slot == 2000; ++entry) {
      EXPECT_EQ(color(taken.back() - 1, entry), Encode_Color(goal[1], goal[2], goal[3]));
      EXPECT_EQ(color(taken.back(), entry), Encode_Color(goal[1], goal[2], goal[3]));
    }
    for (const auto& [offset, level] : c.levels)
      for (int entry = 0; entry < 8; ++entry)
        EXPECT_EQ(color(offset, entry), Encode_Color(level, level, level)) << offset;
  }
}

}  // namespace
}  // namespace lyricanvas
