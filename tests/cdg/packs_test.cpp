#include "cdg/packs.h"

#include <gtest/gtest.h>

#include <memory>

namespace lyricanvas {
namespace {

std::unique_ptr<Creation_Run> Run_With_Slots(std::int64_t last_slot) {
  auto run = std::make_unique<Creation_Run>();
  run->Pack_Buffer.Resize(last_slot);
  return run;
}

int Occupied_Count(const Creation_Run& run) {
  int count = 0;
  for (std::int64_t s = 0; s <= run.Pack_Buffer.Last_Slot(); ++s)
    count += run.Pack_Buffer.Occupied(s) ? 1 : 0;
  return count;
}

std::uint8_t Data(const Pack& pack, int i) { return pack[static_cast<std::size_t>(4 + i)]; }

TEST(ColorEncoding, SplitsTwelveBitsOverTwoSixBitBytes) {
  EXPECT_EQ(Encode_Color(15, 0, 15), (std::array<std::uint8_t, 2>{60, 15}));
  EXPECT_EQ(Encode_Color(0, 15, 0), (std::array<std::uint8_t, 2>{3, 48}));
  // Green 6 = binary 0110: its high half goes into the first byte, its low half into the second.
  EXPECT_EQ(Encode_Color(1, 6, 9), (std::array<std::uint8_t, 2>{5, 41}));
  EXPECT_EQ(Encode_Color(15, 15, 15), (std::array<std::uint8_t, 2>{63, 63}));
}

TEST(PackLayout, EveryWrittenPackHasCommandNineAndZeroParity) {
  auto run = Run_With_Slots(100);
  Palette_Table palette{};
  for (int i = 0; i < 16; ++i) palette[static_cast<std::size_t>(i)] = {0, 15, 15 - i, i};
  std::int64_t slot = 0;
  Write_Memory_Preset(*run, 7, slot);
  Write_Border_Preset(*run, 3);
  slot = run->Pack_Pointer;
  Write_Color_Tables(*run, palette, slot);
  slot = run->Pack_Pointer;
  Write_Transparency(*run, slot);
  ASSERT_EQ(run->Pack_Pointer, 20);
  ASSERT_EQ(Occupied_Count(*run), 20);
  for (std::int64_t s = 0; s < 20; ++s) {
    const Pack& pack = run->Pack_Buffer.At(s);
    SCOPED_TRACE(s);
    EXPECT_EQ(pack[0], 9);
    EXPECT_EQ(pack[2], 0);
    EXPECT_EQ(pack[3], 0);
    for (int i = 20; i < 24; ++i) EXPECT_EQ(pack[static_cast<std::size_t>(i)], 0);
    for (int i = 0; i < 16; ++i) EXPECT_LE(Data(pack, i), 63);
  }
}

TEST(PackLayout, MakePackKeepsDataWithinSixBits) {
  const std::array<std::uint8_t, 17> data{255, 64, 63, 1,  2,  3,  4,  5, 6,
                                          7,   8,  9,  10, 11, 12, 13, 99};
  const Pack pack = Make_Pack(Tile_Block, data);
  EXPECT_EQ(Data(pack, 0), 63);
  EXPECT_EQ(Data(pack, 1), 0);
  EXPECT_EQ(Data(pack, 15), 13);
  EXPECT_EQ(pack[20], 0) << "a seventeenth data byte must not reach the parity";
}

TEST(MemoryPreset, FillsSixteenFreeSlotsWithRepeatsZeroToFifteen) {
  auto run = Run_With_Slots(100);
  run->Pack_Buffer.Put(12, Make_Pack(Tile_Block_Xor, std::array<std::uint8_t, 1>{4}));
  run->Pack_Pointer = 10;
  std::int64_t slot = 10;
  Write_Memory_Preset(*run, 13, slot);
  EXPECT_EQ(run->Pack_Pointer, 27);
  EXPECT_FALSE(run->Pack_Buffer.Occupied(9));
  EXPECT_FALSE(run->Pack_Buffer.Occupied(27));
  EXPECT_EQ(run->Pack_Buffer.At(12)[1], Tile_Block_Xor) << "a wipe pack in the way stays";
  for (int k = 0; k < 16; ++k) {
    const Pack& pack = run->Pack_Buffer.At(k < 2 ? 10 + k : 11 + k);
    EXPECT_EQ(pack[1], Memory_Preset);
    EXPECT_EQ(Data(pack, 0), 13);
    EXPECT_EQ(Data(pack, 1), k);
    for (int i = 2; i < 16; ++i) EXPECT_EQ(Data(pack, i), 0);
  }
}

TEST(MemoryPreset, TakesThePackPointerItselfAsItsSlot) {
  auto run = Run_With_Slots(100);
  run->Pack_Pointer = 5;
  Write_Memory_Preset(*run, 1, run->Pack_Pointer);
  EXPECT_EQ(run->Pack_Pointer, 21);
  EXPECT_EQ(Data(run->Pack_Buffer.At(5), 1), 0);
  EXPECT_EQ(Data(run->Pack_Buffer.At(20), 1), 15);
  EXPECT_FALSE(run->Pack_Buffer.Occupied(21));
}

TEST(MemoryPreset, NearTheEndOfTheStreamDropsWhatDoesNotFit) {
  auto run = Run_With_Slots(20);
  std::int64_t slot = 15;
  Write_Memory_Preset(*run, 2, slot);
  EXPECT_EQ(Occupied_Count(*run), 6);
  EXPECT_EQ(run->Pack_Buffer.Size(), 21);
}

TEST(BorderPreset, PlacesOnePackAtThePointer) {
  auto run = Run_With_Slots(10);
  run->Pack_Pointer = 4;
  Write_Border_Preset(*run, 11);
  EXPECT_EQ(run->Pack_Pointer, 5);
  EXPECT_EQ(run->Pack_Buffer.At(4)[1], Border_Preset);
  EXPECT_EQ(Data(run->Pack_Buffer.At(4), 0), 11);
  EXPECT_EQ(Occupied_Count(*run), 1);
}

TEST(ColorTables, LowHalfThenHighHalfEachColourEncoded) {
  auto run = Run_With_Slots(10);
  Palette_Table palette{};
  for (int i = 0; i < 16; ++i) palette[static_cast<std::size_t>(i)] = {9, i, (i * 7) % 16, 15 - i};
  std::int64_t slot = 3;
  Write_Color_Tables(*run, palette, slot);
  EXPECT_EQ(run->Pack_Pointer, 5);
  const Pack& low = run->Pack_Buffer.At(3);
  const Pack& high = run->Pack_Buffer.At(4);
  EXPECT_EQ(low[1], Load_Colors_Low);
  EXPECT_EQ(high[1], Load_Colors_High);
  for (int k = 0; k < 8; ++k) {
    const auto& c = palette[static_cast<std::size_t>(k)];
    const auto& d = palette[static_cast<std::size_t>(k + 8)];
    EXPECT_EQ(Data(low, 2 * k), Encode_Color(c[1], c[2], c[3])[0]);
    EXPECT_EQ(Data(low, 2 * k + 1), Encode_Color(c[1], c[2], c[3])[1]);
    EXPECT_EQ(Data(high, 2 * k), Encode_Color(d[1], d[2], d[3])[0]);
    EXPECT_EQ(Data(high, 2 * k + 1), Encode_Color(d[1], d[2], d[3])[1]);
  }
}

TEST(Transparency, ColourZeroSeeThroughUnlessReversed) {
  for (bool reverse : {false, true}) {
    SCOPED_TRACE(reverse);
    auto run = Run_With_Slots(10);
    run->Settings.Reverse_Transparency = reverse;
    std::int64_t slot = 2;
    Write_Transparency(*run, slot);
    EXPECT_EQ(run->Pack_Pointer, 3);
    const Pack& pack = run->Pack_Buffer.At(2);
    EXPECT_EQ(pack[1], Define_Transparent);
    EXPECT_EQ(Data(pack, 0), reverse ? 0 : 63);
    for (int i = 1; i < 16; ++i) EXPECT_EQ(Data(pack, i), reverse ? 63 : 0);
  }
}

TEST(Writers, SlotsOutsideTheStreamAreNeverWritten) {
  auto run = Run_With_Slots(3);
  std::int64_t slot = 3;
  Write_Color_Tables(*run, Palette_Table{}, slot);
  EXPECT_TRUE(run->Pack_Buffer.Occupied(3));
  slot = -1;
  Write_Transparency(*run, slot);
  run->Pack_Pointer = 4;
  Write_Border_Preset(*run, 1);
  EXPECT_EQ(Occupied_Count(*run), 1);
  EXPECT_EQ(run->Pack_Buffer.Size(), 4);
}

}  // namespace
}  // namespace lyricanvas
