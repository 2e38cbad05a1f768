#include "cdg/packs.h"

#include <gtest/gtest.h>

#include <memory>

namespace lyricanvas {
namespace {

TEST(Packs, DataKeepsToSixteenSixBitBytes) {
  const std::array<std::uint8_t, 17> data{255, 64, 63, 1,  2,  3,  4,  5, 6,
                                          7,   8,  9,  10, 11, 12, 13, 99};
  const Pack pack = Make_Pack(Tile_Block, data);
  EXPECT_EQ(pack[4], 63);
  EXPECT_EQ(pack[5], 0);
  EXPECT_EQ(pack[19], 13);
  EXPECT_EQ(pack[20], 0) << "a seventeenth data byte must not reach the parity";
}

/// A pack a writer is expected to place: its slot, instruction and first two data bytes.
struct Placed {
  std::int64_t slot;
  int instruction, data0, data1;
};

/// A stream of slots 0 .. last_slot with a wipe pack in the way at slot 12, if there is one.
std::unique_ptr<Creation_Run> Stream(std::int64_t last_slot, std::int64_t pointer) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(last_slot);
  if (last_slot > 12)
    run->Pack_Buffer.Put(12, Make_Pack(Tile_Block_Xor, std::array<std::uint8_t, 1>{4}));
  run->Pack_Pointer = pointer;
  return run;
}

/// The writer placed exactly these packs besides the one at 12, each with command 9, six-bit
/// data and zero parity, and left the stream as long as it was.
void Expect_Placed(const Creation_Run& run, std::int64_t last_slot, std::vector<Placed> placed) {
  EXPECT_EQ(run.Pack_Buffer.Size(), last_slot + 1);
  for (std::int64_t s = 0; s <= last_slot; ++s) {
    if (s == 12 || !run.Pack_Buffer.Occupied(s)) continue;
    ASSERT_FALSE(placed.empty()) << "an unexpected pack in slot " << s;
    const Placed p = placed.front();
    placed.erase(placed.begin());
    const Pack& pack = run.Pack_Buffer.At(s);
    EXPECT_EQ(s, p.slot);
    EXPECT_EQ(std::vector<int>({pack[0], pack[1], pack[4], pack[5]}),
              std::vector<int>({9, p.instruction, p.data0, p.data1}))
        << s;
    for (int i : {2, 3, 20, 21, 22, 23}) EXPECT_EQ(pack[static_cast<std::size_t>(i)], 0) << s;
    for (int i = 6; i < 20; ++i) EXPECT_LE(pack[static_cast<std::size_t>(i)], 63) << s;
  }
  EXPECT_TRUE(placed.empty()) << "missing the pack for slot " << placed.front().slot;
}

// Writers place their packs in free slots from their start on, drop those that fall outside the
// stream, and leave the pointer after the last.
TEST(Writers, PlaceTheirPacksInFreeSlotsAndAdvanceThePointer) {
  auto run = Stream(20, 0);
  std::int64_t slot = 15;
  Write_Memory_Preset(*run, 2, slot);  // repeats 6 .. 15 fall off the end
  std::vector<Placed> repeats;
  for (int repeat = 0; repeat < 6; ++repeat)
    repeats.push_back({15 + repeat, Memory_Preset, 2, repeat});
  Expect_Placed(*run, 20, repeats);
  run = Stream(100, 10);
  slot = 10;
  Write_Memory_Preset(*run, 13, slot);  // its sixteen repeats around the wipe pack at 12
  repeats.clear();
  for (int repeat = 0; repeat < 16; ++repeat)
    repeats.push_back({repeat < 2 ? 10 + repeat : 11 + repeat, Memory_Preset, 13, repeat});
  Expect_Placed(*run, 100, repeats);
  EXPECT_EQ(run->Pack_Pointer, 27);
  run = Stream(10, 4);
  Write_Border_Preset(*run, 11);
  Expect_Placed(*run, 10, {{4, Border_Preset, 11, 0}});
  EXPECT_EQ(run->Pack_Pointer, 5);
  for (const bool reversed : {false, true}) {
    run = Stream(10, 0);
    run->Settings.Reverse_Transparency = reversed;
    slot = 2;
    Write_Transparency(*run, slot);
    Expect_Placed(*run, 10, {{2, Define_Transparent, reversed ? 0 : 63, reversed ? 63 : 0}});
    EXPECT_EQ(run->Pack_Pointer, 3);
  }
  run = Stream(3, 0);
  slot = 3;
  Write_Color_Tables(*run, Palette_Table{}, slot);  // the high half falls off the end
  slot = -1;
  Write_Transparency(*run, slot);
  run->Pack_Pointer = 4;
  Write_Border_Preset(*run, 1);
  Expect_Placed(*run, 3, {{3, Load_Colors_Low, 0, 0}});
}

}  // namespace
}  // namespace lyricanvas
