#include "cdg/packs.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace lyricanvas {
namespace {

TEST(ColorEncoding, SplitsTwelveBitsOverTwoSixBitBytes) {
  struct Case { int red, green, blue; std::array<std::uint8_t, 2> bytes; };
  // Green 6 = binary 0110: its high half goes into the first byte, its low half into the second.
  for (Case c : {Case{15, 0, 15, {60, 15}}, {0, 15, 0, {3, 48}}, {1, 6, 9, {5, 41}}, {15, 15, 15, {63, 63}}})
    EXPECT_EQ(Encode_Color(c.red, c.green, c.blue), c.bytes) << c.red << " " << c.green << " " << c.blue;
  const std::array<std::uint8_t, 17> data{255, 64, 63, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 99};
  const Pack pack = Make_Pack(Tile_Block, data);
  EXPECT_EQ(pack[4], 63) << "data keeps to six bits";
  EXPECT_EQ(pack[5], 0);
  EXPECT_EQ(pack[20], 0) << "a seventeenth data byte must not reach the parity";
}

/// A pack a writer is expected to place: its slot, instruction and first two data bytes.
struct Placed { std::int64_t slot; int instruction, data0, data1; };

// Each writer places its packs in free slots from its start on, never outside the stream, and
// leaves Pack_Pointer after the last; every pack has command 9, six-bit data and zero parity.
TEST(Writers, PlaceTheirPacksInFreeSlotsAndAdvanceThePointer) {
  struct Case {
    const char* name;
    std::int64_t last_slot, pointer;
    std::function<void(Creation_Run&)> write;
    std::int64_t pointer_after;
    int occupied;  ///< slots taken afterwards, the blocking pack at slot 12 included
    std::vector<Placed> placed;
  };
  auto preset = [](int color, std::int64_t from) {
    return [=](Creation_Run& run) { std::int64_t s = from; Write_Memory_Preset(run, color, s); };
  };
  Palette_Table palette{};
  for (int i = 0; i < 16; ++i) palette[static_cast<std::size_t>(i)] = {9, i, 15 - i, (i * 7) % 16};
  const Case cases[] = {
      // Sixteen repeats around a wipe pack already in the way.
      {"preset", 100, 10, preset(13, 10), 27, 17,
       {{10, Memory_Preset, 13, 0}, {11, Memory_Preset, 13, 1}, {12, Tile_Block_Xor, 4, 0},
        {13, Memory_Preset, 13, 2}, {26, Memory_Preset, 13, 15}}},
      {"preset at the pointer", 100, 5,
       [](Creation_Run& run) { Write_Memory_Preset(run, 1, run.Pack_Pointer); }, 22, 17,
       {{5, Memory_Preset, 1, 0}, {21, Memory_Preset, 1, 15}}},
      {"preset near the end", 20, 0, preset(2, 15), -1, 7, {{20, Memory_Preset, 2, 5}}},
      {"border", 10, 4, [](Creation_Run& run) { Write_Border_Preset(run, 11); }, 5, 1,
       {{4, Border_Preset, 11, 0}}},
      {"colours", 10, 0,
       [&](Creation_Run& run) { std::int64_t s = 3; Write_Color_Tables(run, palette, s); }, 5, 2,
       {{3, Load_Colors_Low, 3, 48}, {4, Load_Colors_High, 33, 56}}},
      {"transparency", 10, 0, [](Creation_Run& run) { std::int64_t s = 2; Write_Transparency(run, s); },
       3, 1, {{2, Define_Transparent, 63, 0}}},
      {"reversed transparency", 10, 0,
       [](Creation_Run& run) {
         run.Settings.Reverse_Transparency = true;
         std::int64_t s = 2;
         Write_Transparency(run, s);
       }, 3, 1, {{2, Define_Transparent, 0, 63}}},
      {"outside the stream", 3, 0,
       [](Creation_Run& run) {
         std::int64_t s = 3;
         Write_Color_Tables(run, Palette_Table{}, s);  // the high half falls off the end
         s = -1;
         Write_Transparency(run, s);
         run.Pack_Pointer = 4;
         Write_Border_Preset(run, 1);
       }, -1, 1, {{3, Load_Colors_Low, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto run = std::make_unique<Creation_Run>();
    run->Pack_Buffer.Resize(c.last_slot);
    if (c.last_slot > 12) run->Pack_Buffer.Put(12, Make_Pack(Tile_Block_Xor, std::array<std::uint8_t, 1>{4}));
    run->Pack_Pointer = c.pointer;
    c.write(*run);
    EXPECT_EQ(run->Pack_Buffer.Size(), c.last_slot + 1);
    if (c.pointer_after >= 0) { EXPECT_EQ(run->Pack_Pointer, c.pointer_after); }
    int occupied = 0;
    for (std::int64_t s = 0; s <= c.last_slot; ++s) {
      if (!run->Pack_Buffer.Occupied(s) || s == 12) continue;
      ++occupied;
      const Pack& pack = run->Pack_Buffer.At(s);
      EXPECT_EQ(pack[0], 9) << s;
      for (int i : {2, 3, 20, 21, 22, 23}) EXPECT_EQ(pack[static_cast<std::size_t>(i)], 0) << s;
      for (int i = 4; i < 20; ++i) EXPECT_LE(pack[static_cast<std::size_t>(i)], 63) << s;
    }
    EXPECT_EQ(occupied + (c.last_slot > 12 ? 1 : 0), c.occupied);
    for (const Placed& p : c.placed) {
      ASSERT_TRUE(run->Pack_Buffer.Occupied(p.slot)) << p.slot;
      const Pack& pack = run->Pack_Buffer.At(p.slot);
      EXPECT_EQ(pack[1], p.instruction) << p.slot;
      EXPECT_EQ(pack[4], p.data0) << p.slot;
      EXPECT_EQ(pack[5], p.data1) << p.slot;
    }
  }
}

}  // namespace
}  // namespace lyricanvas
