// The preview decoder: small hand-built streams probed pixel by pixel, and truncated and corrupt
// bytes. The timed songs compare it with ffmpeg's decoder on whole created songs, which covers
// the tiles, XOR and colour tables the engine writes.
#include "cdg/cdg_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lyricanvas {
namespace {

using Bytes = std::vector<std::uint8_t>;

/// A pack: command 9 is graphics; the parity bytes stay 0.
Bytes Pack(int instruction, std::vector<int> data, int command = 9) {
  Bytes pack(Cdg_Pack_Bytes, 0);
  pack[0] = static_cast<std::uint8_t>(command);
  pack[1] = static_cast<std::uint8_t>(instruction);
  for (std::size_t i = 0; i < data.size() && i < 16; ++i)
    pack[4 + i] = static_cast<std::uint8_t>(data[i]);
  return pack;
}

Bytes Memory_Preset(int color, int repeat = 0) { return Pack(1, {color, repeat}); }

/// A tile block whose 12 rows are all the same 6-bit pattern.
Bytes Tile(int color0, int color1, int row, int column, int pattern) {
  std::vector<int> data{color0, color1, row, column};
  data.resize(16, pattern);
  return Pack(6, data);
}

/// Scroll Preset (copy false) or Scroll Copy: commands 0 none, 1 right/down, 2 left/up.
Bytes Scroll(bool copy, int color, int h_command, int h_offset, int v_command, int v_offset) {
  return Pack(copy ? 24 : 20, {color, h_command << 4 | h_offset, v_command << 4 | v_offset});
}

Bytes Join(std::initializer_list<Bytes> packs) {
  Bytes out;
  for (const Bytes& p : packs) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Each stream is decoded whole and the display probed: the colour index shown at (x, y).
TEST(CdgDecoder, EachInstructionPaintsWhatItShould) {
  struct Case {
    std::string name;
    Bytes stream;
    std::vector<int> probes;  ///< x, y and the colour index shown there, for each probe
  };
  const Bytes fine = Join({Memory_Preset(1), Tile(3, 3, 1, 1, 0), Scroll(true, 0, 0, 4, 0, 7)});
  std::vector<Case> cases = {
      {"memory preset at any repeat", Memory_Preset(4, 9), {0, 0, 4, 150, 100, 4, 299, 215, 4}},
      {"border preset",
       Join({Memory_Preset(4), Pack(2, {7})}),
       {0,   0,  7, 5,   100, 7, 6,   100, 4, 293, 100, 4, 294, 100, 7,
        150, 11, 7, 150, 12,  4, 150, 203, 4, 150, 204, 7, 299, 215, 7}},
      {"tiles of the border",
       Join({Tile(0, 6, 17, 49, 63), Tile(0, 6, 0, 0, 1)}),
       {294, 204, 6, 299, 215, 6, 5, 0, 6, 4, 0, 0}},
      // Bits 6 and 7 of every byte belong to other subcode channels: command 0x49 is graphics,
      // instruction 0x46 a tile block, colour 0x45 colour 5, row 0xC2 row 2.
      {"high bits", Pack(0x46, {0x40, 0x45, 0xC2, 0x83, 0xFF}, 0x49), {18, 24, 5, 18, 25, 0}},
      // Fine offsets move the display, not the memory; tiles drawn later show shifted too.
      {"fine offsets",
       Join({fine, Tile(5, 5, 2, 2, 0)}),
       {10, 19, 3, 9, 19, 1, 10, 18, 1, 15, 30, 3, 16, 30, 1, 16, 31, 5, 15, 31, 1}},
      {"a Scroll Preset that only resets the offsets fills nothing",
       Join({fine, Scroll(false, 9, 0, 0, 0, 0)}),
       {6, 12, 3, 11, 23, 3, 12, 12, 1, 0, 0, 1, 299, 215, 1}},
      {"offsets beyond a tile are held at 5 and 11, and wrap",
       Join({fine, Tile(7, 7, 17, 49, 0), Scroll(true, 0, 0, 7, 0, 15)}),
       {0, 0, 7, 4, 10, 7, 299, 215, 7, 5, 10, 1, 11, 23, 3, 16, 34, 3, 10, 23, 1}},
  };
  // On colour 1 a centre tile of colour 3 at x 60..65, y 60..71 and corner tiles of colour 5
  // (top left) and 6 (bottom right). Scroll Preset fills the vacated strip, Scroll Copy wraps.
  const Bytes start =
      Join({Memory_Preset(1), Tile(3, 3, 5, 10, 0), Tile(5, 5, 0, 0, 0), Tile(6, 6, 17, 49, 0)});
  struct Move {
    int h, v;                       // commands
    int x, y;                       // where the centre tile's top-left pixel lands
    int strip_x, strip_y, wrapped;  // a pixel of the vacated strip, the corner colour a copy brings
  };
  for (Move m : {Move{1, 0, 66, 60, 0, 204, 6},
                 {2, 0, 54, 60, 294, 0, 5},
                 {0, 1, 60, 72, 294, 0, 6},
                 {0, 2, 60, 48, 0, 204, 5},
                 {1, 1, 66, 72, 0, 0, 6}})
    for (bool copy : {false, true})
      cases.push_back(
          {"scroll " + std::to_string(m.h) + std::to_string(m.v) + " copy " + std::to_string(copy),
           Join({start, Scroll(copy, 9, m.h, 0, m.v, 0)}),
           {m.x, m.y, 3, m.x + 5, m.y + 11, 3, m.x + 6, m.y + 11, 1, m.x + 5, m.y + 12, 1,
            m.strip_x, m.strip_y, copy ? m.wrapped : 9}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Cdg_Decoder d;
    Cdg_Decode_Packs(d, c.stream);
    for (std::size_t i = 0; i + 2 < c.probes.size(); i += 3)
      EXPECT_EQ(Cdg_Shown_Index(d, c.probes[i], c.probes[i + 1]), c.probes[i + 2])
          << c.probes[i] << "," << c.probes[i + 1];
  }
}

TEST(CdgDecoder, OutOfGridForeignTruncatedAndCorruptPacksDecodeSafely) {
  Cdg_Decoder before;
  Cdg_Decode_Packs(before, Memory_Preset(1));
  auto after = before;
  Cdg_Decode_Packs(after, Join({
                              Tile(2, 3, 18, 1, 63),            // row 18: below the grid
                              Tile(2, 3, 1, 50, 63),            // column 50: right of the grid
                              Pack(6, {2, 3, 1, 1, 63}, 8),     // command 8 is not graphics
                              Pack(6, {2, 3, 1, 1, 63}, 0x19),  // nor is 25
                              Pack(3, {2, 3, 1, 1, 63}),        // no such instruction
                              Pack(28, {63, 63, 63, 63}),       // transparency: not in a preview
                          }));
  EXPECT_EQ(after.memory, before.memory);
  EXPECT_EQ(after.palette, before.palette);
  EXPECT_EQ(after.packs_fed, before.packs_fed + 6);
  Bytes stream = Join({Memory_Preset(2), Tile(0, 5, 3, 3, 63)});
  Cdg_Decoder d;
  EXPECT_EQ(Cdg_Decode_Packs(d, Bytes(stream.begin(), stream.end() - 5)), 1)
      << "a trailing partial pack is ignored";
  EXPECT_EQ(Cdg_Shown_Index(d, 18, 36), 2);
  EXPECT_EQ(Decode_Frame(Bytes(23, 9), 0), Decode_Frame({}, 5));
  // Random bytes, the command forced to graphics most of the time: any instruction and any field
  // value must stay inside the screen (the sanitizer build turns a stray write into a fault).
  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    Bytes noise(24 * 200 + round % 24, 0);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (std::size_t p = 0; p + 24 <= noise.size(); p += 24)
      if (random() % 4 != 0) noise[p] = static_cast<std::uint8_t>(9 | (random() & 0xC0));
    Cdg_Decoder n;
    EXPECT_EQ(Cdg_Decode_Packs(n, noise), 200);
    EXPECT_LE(n.h_offset, 5);
    EXPECT_LE(n.v_offset, 11);
  }
}

TEST(CdgDecoder, FrameAtATimeIsTheStateAfterPackFloorOfTimesThreeHundred) {
  const std::pair<double, std::int64_t> times[] = {
      {0, 0}, {0.57, 171}, {1.0 / 300, 1}, {0.0049, 1}, {-0.5, -1}, {1e300, 9'000'000'000'000'000}};
  for (auto [seconds, pack] : times) EXPECT_EQ(Cdg_Pack_At(seconds), pack) << seconds;
  // Colour 1 is (1, 2, 3) in levels of 17; the others stay black.
  const Bytes stream = Join(
      {Pack(30, {0, 0, 1 << 2, 2 << 4 | 3}), Memory_Preset(2), Memory_Preset(1), Memory_Preset(3)});
  EXPECT_EQ(Decode_Frame(stream, 2).pixel(0, 0), qRgb(17, 34, 51));
  EXPECT_EQ(Decode_Frame(stream, 1).pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(Decode_Frame(stream, 99), Decode_Frame(stream, 3)) << "past the end: the last state";
  EXPECT_EQ(Decode_Frame(stream, -1), Decode_Frame({}, 0));
}

}  // namespace
}  // namespace lyricanvas
