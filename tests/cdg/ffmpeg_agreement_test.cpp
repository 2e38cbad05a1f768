// Plays a stream built by our writers through an independent CD+G decoder (the ffmpeg command)
// and checks that our interpreter, seen through the palette in force, shows the same pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

#include "cdg/fades.h"
#include "cdg/interpreter.h"
#include "cdg/packs.h"
#include "cdg/tile_updater.h"
#include "support/ffmpeg.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {


std::string Cdg_Bytes(const Pack_Slots& stream, std::int64_t last_slot) {
  std::string bytes;
  for (std::int64_t s = 0; s <= last_slot; ++s) {
    const Pack pack = stream.Occupied(s) ? stream.At(s) : Pack{};
    bytes.append(pack.begin(), pack.end());
  }
  return bytes;
}

/// The palette the stream has loaded by the end of slot `last`; black before any table.
Palette_Table Palette_After(const Pack_Slots& stream, std::int64_t last) {
  Palette_Table palette{};
  for (std::int64_t s = 0; s <= last; ++s) {
    if (!stream.Occupied(s)) continue;
    const Pack& pack = stream.At(s);
    const int half = pack[1] - Load_Colors_Low;
    if (half != 0 && half != 1) continue;
    for (int k = 0; k < 8; ++k) {
      const int high = pack[static_cast<std::size_t>(4 + 2 * k)];
      const int low = pack[static_cast<std::size_t>(5 + 2 * k)];
      palette[static_cast<std::size_t>(8 * half + k)] = {0, high >> 2,
                                                         ((high & 3) << 2) | (low >> 4), low & 15};
    }
  }
  return palette;
}

Screen_Pixels Played_Up_To(const Pack_Slots& stream, std::int64_t last) {
  Screen_Pixels screen;
  for (std::int64_t s = 0; s <= last; ++s) {
    if (stream.Occupied(s)) Apply_Pack(screen, stream.At(s));
  }
  return screen;
}

/// Builds a stream that exercises every writer the engine uses and returns the packs after which
/// the pictures are compared.
struct Stream_Builder {
  std::unique_ptr<Creation_Run> run = std::make_unique<Creation_Run>();
  std::mt19937 random{7};
  std::vector<std::int64_t> checkpoints;
  std::vector<std::optional<Palette_Table>> intended;  ///< the palette meant at each checkpoint
  std::int64_t last_slot = 0;

  Palette_Table Palette_A() const {
    Palette_Table p{};
    for (int i = 0; i < 16; ++i) p[static_cast<std::size_t>(i)] = {0, i, (i * 5) % 16, 15 - i};
    return p;
  }
  Palette_Table Palette_B() const {
    Palette_Table p{};
    for (int i = 0; i < 16; ++i)
      p[static_cast<std::size_t>(i)] = {0, (i * 3) % 16, 15 - i, (i * 7) % 16};
    return p;
  }

  void Mark(std::optional<Palette_Table> palette) {
    checkpoints.push_back(run->Pack_Pointer - 1);
    intended.push_back(palette);
  }

  void Bring_Model_Forward() { Interpret_Packs_Up_To(*run, run->Pack_Pointer); }

  /// Random content with up to 16 colours in a random fraction of the tiles.
  void Scatter_Tiles(int one_in) {
    for (int column = 1; column <= 48; ++column) {
      for (int row = 1; row <= 16; ++row) {
        if (random() % one_in != 0) continue;
        const int colors = 1 + static_cast<int>(random() % 16);
        const int base = static_cast<int>(random() % 16);
        const bool exclusive_or = random() % 2 == 0;
        for (int r = 0; r < 12; ++r) {
          for (int k = 0; k < 6; ++k) {
            auto& pixel = run->Target_Screen(12 * (row - 1) + r, 6 * (column - 1) + k);
            const int value = (base + static_cast<int>(random() % colors)) % 16;
            pixel = static_cast<std::uint8_t>(exclusive_or ? pixel ^ value : value);
          }
        }
      }
    }
  }

  void Build() {
    run->Pack_Buffer.Resize(4000);
    std::int64_t slot = 0;
    Write_Color_Tables(*run, Palette_A(), slot);
    Write_Memory_Preset(*run, 3, run->Pack_Pointer);
    Bring_Model_Forward();
    Mark(Palette_A());
    Write_Border_Preset(*run, 5);

    run->Pack_Pointer = 40;
    Scatter_Tiles(3);
    Update_All_Tiles(*run);
    Mark(Palette_A());

    // Packs already in the stream where the next drawing goes, as wipes would be.
    const std::int64_t next = run->Pack_Pointer + 5;
    for (int i = 0; i < 12; ++i) {
      std::array<std::uint8_t, 16> data{
          static_cast<std::uint8_t>(i % 3), static_cast<std::uint8_t>(1 + i),
          static_cast<std::uint8_t>(1 + i), static_cast<std::uint8_t>(1 + 2 * i)};
      for (int r = 0; r < 12; ++r)
        data[static_cast<std::size_t>(4 + r)] = static_cast<std::uint8_t>(random() % 64);
      run->Pack_Buffer.Put(next + 7 * i, Make_Pack(Tile_Block_Xor, data));
    }
    Scatter_Tiles(2);
    Update_All_Tiles(*run);
    Mark(Palette_A());

    run->Pack_Pointer += 10;
    const std::int64_t fade_start = run->Pack_Pointer;
    Fade(*run, Palette_A(), Palette_B(), 6, "Smooth fading");
    checkpoints.push_back(fade_start + 101);
    intended.push_back(std::nullopt);  // somewhere between the two
    Palette_Table faded{};
    faded.fill(Palette_B()[6]);
    Mark(faded);

    slot = run->Pack_Pointer;
    Write_Color_Tables(*run, Palette_B(), slot);
    Bring_Model_Forward();
    run->Pack_Pointer = run->Pack_Buffer.Last_Slot() - 400;
    Scatter_Tiles(4);
    Update_All_Tiles(*run);
    Mark(Palette_B());
    last_slot = run->Pack_Pointer - 1;  // the file ends on the last pack
  }
};

TEST(FfmpegAgreement, IndependentDecoderShowsWhatOurInterpreterShows) {
  if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "the ffmpeg command is not installed";
  Stream_Builder builder;
  builder.Build();
  const Pack_Slots& stream = builder.run->Pack_Buffer;
  ASSERT_GT(builder.last_slot, 3000);
  std::array<int, 64> instructions{};
  for (std::int64_t s = 0; s <= builder.last_slot; ++s) {
    if (stream.Occupied(s)) ++instructions[stream.At(s)[1] & 63];
  }
  EXPECT_GT(instructions[Tile_Block], 200);
  EXPECT_GT(instructions[Tile_Block_Xor], 200)
      << "the updater's own XOR blocks besides the twelve wipes";
  EXPECT_GT(instructions[Load_Colors_High], 10);
  testing::Temp_Dir dir;
  const std::string file = dir.File("stream.cdg");
  testing::Write_File(file, Cdg_Bytes(stream, builder.last_slot));

  const auto frames = testing::Ffmpeg_Frames(file, builder.checkpoints);
  ASSERT_EQ(frames.size(), builder.checkpoints.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const std::int64_t k = builder.checkpoints[i];
    SCOPED_TRACE("after pack " + std::to_string(k));
    Palette_Table palette = Palette_After(stream, k);
    if (const auto& meant = builder.intended[i]) {
      for (auto& entry : palette) entry[0] = 0;
      Palette_Table expected = *meant;
      for (auto& entry : expected) entry[0] = 0;
      EXPECT_EQ(palette, expected) << "colours sent as they were meant";
    }
    const Screen_Pixels shown = Played_Up_To(stream, k);
    int mismatches = 0;
    for (int y = 0; y < Inner_Height; ++y) {
      for (int x = 0; x < Inner_Width; ++x) {
        const auto& color = palette[shown(y, x) & 15];
        const std::size_t at =
            (static_cast<std::size_t>(y + 12) * testing::Ffmpeg_Frame_Width + static_cast<std::size_t>(x + 6)) * 3;
        for (int c = 0; c < 3; ++c) {
          const int expected = color[static_cast<std::size_t>(c + 1)] * 17;
          if (static_cast<std::uint8_t>(frames[i][at + static_cast<std::size_t>(c)]) != expected)
            ++mismatches;
        }
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
  // The model the updater kept while drawing agrees with playing the whole stream.
  EXPECT_EQ(builder.run->Shown_Screen, Played_Up_To(stream, builder.last_slot));
}

}  // namespace
}  // namespace lyricanvas
