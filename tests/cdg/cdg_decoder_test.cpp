// The preview decoder: instruction by instruction on small hand-built streams, robustness on
// truncated and corrupt bytes, and agreement with ffmpeg's CD+G decoder on random streams.
#include "cdg/cdg_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/ffmpeg.h"
#include "support/test_support.h"

namespace lyricanvas {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

// ---------------------------------------------------------------------------------------------
// Hand-built streams: every pack spelled out field by field.

Bytes Pack(int instruction, std::vector<int> data, int command = 9) {
  Bytes pack(Cdg_Pack_Bytes, 0);
  pack[0] = static_cast<std::uint8_t>(command);      // 9: graphics mode
  pack[1] = static_cast<std::uint8_t>(instruction);  // bytes 2, 3 (parity Q) stay 0
  for (std::size_t i = 0; i < data.size() && i < 16; ++i)
    pack[4 + i] = static_cast<std::uint8_t>(data[i]);  // data[0..15]; 20..23 (parity P) stay 0
  return pack;
}

Bytes Memory_Preset(int color, int repeat = 0) { return Pack(1, {color, repeat}); }
Bytes Border_Preset(int color) { return Pack(2, {color, 0}); }

/// A tile block whose 12 rows are all the same 6-bit pattern.
Bytes Tile(int color0, int color1, int row, int column, int pattern, bool xor_mode = false) {
  std::vector<int> data{color0, color1, row, column};
  data.resize(16, pattern);
  return Pack(xor_mode ? 38 : 6, data);
}

/// Scroll Preset (copy false) or Scroll Copy: commands 0 none, 1 right/down, 2 left/up.
Bytes Scroll(bool copy, int color, int h_command, int h_offset, int v_command, int v_offset) {
  return Pack(copy ? 24 : 20, {color, h_command << 4 | h_offset, v_command << 4 | v_offset});
}

/// Load Colour Table for colours first .. first + 7, levels 0..15 each.
Bytes Colors(int first, const std::vector<Rgb>& colors) {
  std::vector<int> data;
  for (const Rgb& c : colors) {
    data.push_back(c[0] << 2 | c[1] >> 2);         // red, green bits 3..2
    data.push_back((c[1] & 3) << 4 | c[2]);        // green bits 1..0, blue
  }
  return Pack(first == 0 ? 30 : 31, data);
}

/// Colours 0..15 with level (i, 15 - i, i / 2): all different.
Bytes Ramp_Low() {
  std::vector<Rgb> c;
  for (int i = 0; i < 8; ++i) c.push_back({i, 15 - i, i / 2});
  return Colors(0, c);
}
Bytes Ramp_High() {
  std::vector<Rgb> c;
  for (int i = 8; i < 16; ++i) c.push_back({i, 15 - i, i / 2});
  return Colors(8, c);
}

Bytes Join(std::initializer_list<Bytes> packs) {
  Bytes out;
  for (const Bytes& p : packs) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Cdg_Decoder Decode(const Bytes& stream) {
  Cdg_Decoder decoder;
  Cdg_Decode_Packs(decoder, stream);
  return decoder;
}

int Shown(const Cdg_Decoder& d, int x, int y) { return Cdg_Shown_Index(d, x, y); }

// ---------------------------------------------------------------------------------------------

TEST(CdgDecoder, ColourTablesDecodeTwelveBitColoursAsLevelTimesSeventeen) {
  Cdg_Decoder d;
  EXPECT_EQ(Cdg_Image(d).pixel(150, 100), qRgb(0, 0, 0)) << "black before any colour table";
  // Colour 0 = (15, 0, 15) is written 60, 15; colour 1 = (0, 15, 0) is 3, 48.
  Cdg_Decode_Packs(d, Join({Pack(30, {60, 15, 3, 48}), Pack(31, {0, 0, 42, 21})}));
  EXPECT_EQ(d.palette[0], qRgb(255, 0, 255));
  EXPECT_EQ(d.palette[1], qRgb(0, 255, 0));
  EXPECT_EQ(d.palette[2], qRgb(0, 0, 0)) << "the low table leaves the missing entries black";
  // 42 = 101010b, 21 = 010101b: red 1010b, green 10b|01b = 1001b, blue 0101b.
  EXPECT_EQ(d.palette[9], qRgb(10 * 17, 9 * 17, 5 * 17));
  Cdg_Decode_Pack(d, std::span<const std::uint8_t, 24>(Tile(1, 1, 5, 5, 0).data(), 24));
  EXPECT_EQ(Cdg_Image(d).pixel(30, 60), qRgb(0, 255, 0));
}

TEST(CdgDecoder, MemoryPresetFillsEverythingAtAnyRepeatAndBorderPresetOnlyTheBorder) {
  auto d = Decode(Join({Memory_Preset(4, 9)}));
  for (int y : {0, 100, 215})
    for (int x : {0, 150, 299}) EXPECT_EQ(Shown(d, x, y), 4) << x << "," << y;
  Cdg_Decode_Packs(d, Border_Preset(7));
  struct Probe { int x, y, color; };
  for (Probe p : {Probe{0, 0, 7}, {5, 100, 7}, {6, 100, 4}, {293, 100, 4}, {294, 100, 7},
                  {150, 11, 7}, {150, 12, 4}, {150, 203, 4}, {150, 204, 7}, {299, 215, 7}})
    EXPECT_EQ(Shown(d, p.x, p.y), p.color) << p.x << "," << p.y;
}

TEST(CdgDecoder, TileBlocksPaintXorAndReachTheBorderTiles) {
  // Pattern 110100b: pixels 0, 1 and 3 from the left take colour 1.
  auto d = Decode(Join({Memory_Preset(0), Tile(2, 5, 1, 1, 0b110100)}));
  const int expected[6] = {5, 5, 2, 5, 2, 2};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(Shown(d, 6 + k, 12), expected[k]) << k;
    EXPECT_EQ(Shown(d, 6 + k, 23), expected[k]) << k;
  }
  EXPECT_EQ(Shown(d, 12, 12), 0);
  EXPECT_EQ(Shown(d, 6, 24), 0);

  Cdg_Decode_Packs(d, Tile(3, 9, 1, 1, 0b000011, true));
  EXPECT_EQ(Shown(d, 6, 12), 5 ^ 3);
  EXPECT_EQ(Shown(d, 11, 12), 2 ^ 9);
  Cdg_Decode_Packs(d, Tile(3, 9, 1, 1, 0b000011, true));
  EXPECT_EQ(Shown(d, 6, 12), 5) << "the same XOR block twice restores the tile";

  Cdg_Decode_Packs(d, Join({Tile(0, 6, 17, 49, 0b111111), Tile(0, 6, 0, 0, 0b000001)}));
  EXPECT_EQ(Shown(d, 294, 204), 6);
  EXPECT_EQ(Shown(d, 299, 215), 6);
  EXPECT_EQ(Shown(d, 5, 0), 6);
  EXPECT_EQ(Shown(d, 4, 0), 0);
}

TEST(CdgDecoder, OutOfGridTilesForeignPacksAndHighBitsChangeNothing) {
  auto before = Decode(Join({Memory_Preset(1), Ramp_Low(), Ramp_High()}));
  auto after = before;
  Cdg_Decode_Packs(after, Join({
      Tile(2, 3, 18, 1, 63),           // row 18: below the grid
      Tile(2, 3, 1, 50, 63),           // column 50: right of the grid
      Tile(2, 3, 1, 1, 63, true),      // XOR block ...
      Tile(2, 3, 1, 1, 63, true),      // ... undone
      Pack(6, {2, 3, 1, 1, 63}, 8),    // command 8 is not graphics
      Pack(3, {2, 3, 1, 1, 63}),       // no such instruction
      Pack(28, {63, 63, 63, 63}),      // transparency: not shown in a preview
  }));
  EXPECT_EQ(after.memory, before.memory);
  EXPECT_EQ(after.palette, before.palette);
  EXPECT_EQ(Cdg_Image(after), Cdg_Image(before));
  EXPECT_EQ(after.packs_fed, before.packs_fed + 7);

  // Bits 6 and 7 of every byte belong to other subcode channels: command 0x49 is graphics,
  // instruction 0x46 a tile block, colour 0x45 colour 5, row 0xC2 row 2.
  Bytes tile = Pack(0x46, {0x40, 0x45, 0xC2, 0x83, 0xFF}, 0x49);
  Cdg_Decode_Packs(after, tile);
  EXPECT_EQ(Shown(after, 18, 24), 5);
}

TEST(CdgDecoder, ScrollPresetFillsTheVacatedStripAndScrollCopyWrapsIt) {
  // On colour 1: a centre tile of colour 3 at x 60..65, y 60..71 and corner tiles of colour 5
  // (top left) and 6 (bottom right).
  const Bytes start = Join({Memory_Preset(1), Tile(3, 3, 5, 10, 0), Tile(5, 5, 0, 0, 0),
                            Tile(6, 6, 17, 49, 0)});
  struct Case {
    int h, v;                // commands
    int centre_x, centre_y;  // where the centre tile's top-left pixel lands
    int probe_x, probe_y;    // a pixel of the vacated strip
    int wrapped;             // the corner colour a copy brings there
  };
  for (Case c : {Case{1, 0, 66, 60, 0, 204, 6}, {2, 0, 54, 60, 294, 0, 5}, {0, 1, 60, 72, 294, 0, 6},
                 {0, 2, 60, 48, 0, 204, 5}, {1, 1, 66, 72, 0, 0, 6}}) {
    auto preset = Decode(Join({start, Scroll(false, 9, c.h, 0, c.v, 0)}));
    auto copy = Decode(Join({start, Scroll(true, 9, c.h, 0, c.v, 0)}));
    SCOPED_TRACE(::testing::Message() << "h " << c.h << " v " << c.v);
    for (const auto* d : {&preset, &copy}) {
      EXPECT_EQ(Shown(*d, c.centre_x, c.centre_y), 3);
      EXPECT_EQ(Shown(*d, c.centre_x + 5, c.centre_y + 11), 3);
      EXPECT_EQ(Shown(*d, c.centre_x + 6, c.centre_y + 11), 1);
      EXPECT_EQ(Shown(*d, c.centre_x + 5, c.centre_y + 12), 1);
    }
    EXPECT_EQ(Shown(preset, c.probe_x, c.probe_y), 9);
    EXPECT_EQ(Shown(copy, c.probe_x, c.probe_y), c.wrapped);
  }
  // Left then right by copy brings the marker home; fifty copies to the right as well.
  auto there_and_back = Decode(Join({start, Scroll(true, 9, 2, 0, 0, 0), Scroll(true, 9, 1, 0, 0, 0)}));
  EXPECT_EQ(there_and_back.memory, Decode(start).memory);
  Bytes round_trip = start;
  for (int i = 0; i < 50; ++i) round_trip = Join({round_trip, Scroll(true, 9, 1, 0, 0, 0)});
  EXPECT_EQ(Decode(round_trip).memory, Decode(start).memory);
}

TEST(CdgDecoder, FineOffsetsShiftTheDisplayNotTheMemory) {
  const Bytes start = Join({Memory_Preset(1), Tile(3, 3, 1, 1, 0)});  // tile at x 6..11, y 12..23
  auto d = Decode(Join({start, Scroll(true, 0, 0, 4, 0, 7)}));
  EXPECT_EQ(d.memory, Decode(start).memory);
  EXPECT_EQ(Shown(d, 10, 19), 3) << "the picture moves right by 4 and down by 7";
  EXPECT_EQ(Shown(d, 9, 19), 1);
  EXPECT_EQ(Shown(d, 10, 18), 1);
  EXPECT_EQ(Shown(d, 15, 30), 3);
  EXPECT_EQ(Shown(d, 16, 30), 1);
  // A tile drawn now lands in memory and shows with the same shift as the rest.
  Cdg_Decode_Packs(d, Tile(5, 5, 2, 2, 0));
  EXPECT_EQ(Shown(d, 12 + 4, 24 + 7), 5);
  EXPECT_EQ(Shown(d, 11 + 4, 24 + 7), 1);
  EXPECT_EQ(Shown(d, 11 + 4, 23 + 7), 3);
  // A Scroll Preset that only resets the offsets fills nothing: the picture comes back whole.
  Cdg_Decode_Packs(d, Scroll(false, 9, 0, 0, 0, 0));
  EXPECT_EQ(Cdg_Image(d), Cdg_Image(Decode(Join({start, Tile(5, 5, 2, 2, 0)}))));
  // Offsets beyond one tile are held at 5 and 11; what leaves an edge shows at the other.
  Cdg_Decode_Packs(d, Join({Tile(7, 7, 17, 49, 0), Scroll(true, 0, 0, 7, 0, 15)}));
  EXPECT_EQ(d.h_offset, 5);
  EXPECT_EQ(d.v_offset, 11);
  EXPECT_EQ(Shown(d, 0, 0), 7);
  EXPECT_EQ(Shown(d, 4, 10), 7);
  EXPECT_EQ(Shown(d, 299, 215), 7);
  EXPECT_EQ(Shown(d, 5, 10), 1);
}

TEST(CdgDecoder, TruncatedAndCorruptStreamsDecodeSafely) {
  Bytes stream = Join({Memory_Preset(2), Ramp_Low(), Tile(0, 5, 3, 3, 63)});
  Bytes cut(stream.begin(), stream.end() - 5);
  Cdg_Decoder d;
  EXPECT_EQ(Cdg_Decode_Packs(d, cut), 2) << "a trailing partial pack is ignored";
  EXPECT_EQ(Shown(d, 18, 36), 2);
  EXPECT_EQ(Cdg_Pack_Count(Bytes(23, 9)), 0);
  EXPECT_EQ(Decode_Frame(Bytes(23, 9), 0), Decode_Frame({}, 5));
  EXPECT_EQ(Decode_Frame({}, 0).pixel(0, 0), qRgb(0, 0, 0));

  // Random bytes, with the command forced to graphics most of the time: any instruction and any
  // field value must stay inside the screen (the sanitizer build turns a stray write into a fault).
  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    Bytes noise(24 * 200 + round % 24, 0);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    for (std::size_t p = 0; p + 24 <= noise.size(); p += 24)
      if (random() % 4 != 0) noise[p] = static_cast<std::uint8_t>(9 | (random() & 0xC0));
    Cdg_Decoder n;
    EXPECT_EQ(Cdg_Decode_Packs(n, noise), 200);
    QImage image = Cdg_Image(n);
    EXPECT_EQ(image.size(), QSize(300, 216));
    EXPECT_LE(n.h_offset, 5);
    EXPECT_LE(n.v_offset, 11);
  }
}

TEST(CdgDecoder, FrameAtATimeIsTheStateAfterPackFloorOfTimesThreeHundred) {
  EXPECT_EQ(Cdg_Pack_At(0), 0);
  EXPECT_EQ(Cdg_Pack_At(0.29), 87);
  EXPECT_EQ(Cdg_Pack_At(1.0 / 300), 1);
  EXPECT_EQ(Cdg_Pack_At(0.0049), 1);
  EXPECT_EQ(Cdg_Pack_At(-0.5), -1);
  EXPECT_EQ(Cdg_Pack_At(1e300), 9e15);

  Bytes stream = Join({Ramp_Low(), Memory_Preset(1), Memory_Preset(2), Memory_Preset(3)});
  EXPECT_EQ(Decode_Frame(stream, 1).pixel(0, 0), Decode(Join({Ramp_Low(), Memory_Preset(1)})).palette[1]);
  EXPECT_EQ(Decode_Frame(stream, 2).pixel(0, 0), qRgb(2 * 17, 13 * 17, 17));
  EXPECT_EQ(Decode_Frame(stream, 99), Decode_Frame(stream, 3)) << "past the end: the last state";
  EXPECT_EQ(Decode_Frame(stream, -1), Decode_Frame({}, 0));
}

// ---------------------------------------------------------------------------------------------
// Agreement with ffmpeg, whose decoder departs from the standard in ways our streams avoid (each
// found with small hand-made streams): it acts on a Memory Preset only at repeat 0 and on a Border
// Preset only when data[1] is 0 (our presets come as repeat 0 and repeats of the same colour); a
// scroll that moves nothing makes it carry on from a stale frame (every scroll here moves); a
// Scroll Copy along both axes wraps each strip without the other axis's move (ours move along one
// axis); and it keeps no memory behind its display, so fine offsets shift its one picture, draw
// tiles shifted (dropped when they would cross the right or bottom edge), fill the displayed
// border, and a vertical offset moves the picture up while it draws tiles down. So streams with
// fine offsets use Scroll Copy only, a vertical offset set once on a uniform screen, no tiles in
// the last row or column and no Border Preset; streams with every instruction keep offsets at 0.
// Within these limits both decoders agree on the whole 300 x 216 screen at every pack.

/// Decodes the stream with ffmpeg and with ours and compares the frames after the given packs.
void Expect_Agreement(const Bytes& stream, const std::vector<std::int64_t>& packs) {
  testing::Temp_Dir dir;
  const std::string path = dir.File("stream.cdg");
  testing::Write_File(path, std::string(stream.begin(), stream.end()));
  std::string error;
  const auto frames = testing::Ffmpeg_Frames(path, packs, &error);
  ASSERT_EQ(frames.size(), packs.size()) << error;
  for (std::size_t f = 0; f < packs.size(); ++f) {
    const QImage ours = Decode_Frame(stream, packs[f]);
    int differing = 0;
    for (int y = 0; y < Cdg_Height; ++y)
      for (int x = 0; x < Cdg_Width; ++x) {
        const auto* rgb = reinterpret_cast<const std::uint8_t*>(frames[f].data() + (y * Cdg_Width + x) * 3);
        const QRgb mine = ours.pixel(x, y);
        differing += qRed(mine) != rgb[0] || qGreen(mine) != rgb[1] || qBlue(mine) != rgb[2];
      }
    EXPECT_EQ(differing, 0) << "pixels differ after pack " << packs[f];
  }
}

/// Random but valid streams, with a fixed seed each.
class Stream_Maker {
 public:
  explicit Stream_Maker(unsigned seed) : random_(seed) {}

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  /// Bits 6 and 7 are noise of the other subcode channels; both decoders must ignore them.
  Bytes Noisy(Bytes pack) {
    for (std::size_t i = 0; i < pack.size(); ++i)
      if (Below(3) == 0) pack[i] = static_cast<std::uint8_t>(pack[i] | (Below(4) << 6));
    return pack;
  }
  Bytes Random_Colors() {
    std::vector<Rgb> c;
    for (int i = 0; i < 8; ++i) c.push_back({Below(16), Below(16), Below(16)});
    return Colors(Below(2) * 8, c);
  }
  Bytes Random_Tile(int rows, int columns) {
    std::vector<int> data{Below(16), Below(16), Below(rows), Below(columns)};
    for (int r = 0; r < 12; ++r) data.push_back(Below(64));
    return Pack(Below(2) ? 38 : 6, data);
  }
  /// A preset as discs send it: repeat 0, then further repeats of the same colour.
  Bytes Preset_Series() {
    int color = Below(16);
    Bytes out;
    for (int r = 0, n = 1 + Below(4); r < n; ++r) out = Join({out, Memory_Preset(color, r)});
    return out;
  }
  Bytes Filler() {
    switch (Below(3)) {
      case 0: return Bytes(24, 0);                                     // an empty slot
      case 1: return Pack(6, {1, 2, 3, 4, 63, 63}, 8 + 2 * Below(2));  // not graphics
      default: return Pack(28, {Below(64), Below(64), Below(64)});    // transparency
    }
  }

  std::vector<std::int64_t> Sample_Packs(const Bytes& stream, int count) {
    std::int64_t last = Cdg_Pack_Count(stream) - 1;
    std::vector<std::int64_t> packs;
    for (int i = 1; i < count; ++i) packs.push_back(last * i / count + Below(20));
    packs.push_back(last);
    return packs;
  }

  std::mt19937 random_;
};

/// Every instruction, tiles anywhere on the grid, coarse scrolls in all directions, offsets 0.
Bytes Coarse_Stream(Stream_Maker& m, int packs) {
  Bytes s = Join({m.Preset_Series(), m.Random_Colors(), m.Random_Colors()});
  while (Cdg_Pack_Count(s) < packs) {
    int pick = m.Below(100);
    Bytes next;
    if (pick < 50) next = m.Random_Tile(18, 50);
    else if (pick < 58) next = m.Random_Colors();
    else if (pick < 63) next = Border_Preset(m.Below(16));
    else if (pick < 65) next = m.Preset_Series();
    else if (pick < 85) {
      bool copy = m.Below(2) == 1;
      int h = m.Below(3), v = h == 0 ? 1 + m.Below(2) : copy ? 0 : m.Below(3);
      next = Scroll(copy, m.Below(16), h, 0, v, 0);
    } else next = m.Filler();
    s = Join({s, m.Noisy(next)});
  }
  return Join({s, m.Random_Tile(18, 50)});
}

/// Scroll Copy with fine horizontal offsets and a vertical offset set once.
Bytes Fine_Offset_Stream(Stream_Maker& m, int packs) {
  int h_offset = m.Below(6);
  const int v_offset = 1 + m.Below(11);
  Bytes s = Join({m.Preset_Series(), m.Random_Colors(), m.Random_Colors(),
                  Scroll(true, 0, 1, h_offset, 0, v_offset)});
  while (Cdg_Pack_Count(s) < packs) {
    int pick = m.Below(100);
    Bytes next;
    if (pick < 55) next = m.Random_Tile(17, 49);
    else if (pick < 63) next = m.Random_Colors();
    else if (pick < 65) next = m.Preset_Series();
    else if (pick < 90) {
      int h = 0, v = 0;
      if (m.Below(3) == 0) {
        v = 1 + m.Below(2);
      } else {
        h = m.Below(3);
        int offset = m.Below(6);
        if (h == 0 && offset == h_offset) h = 2;
        h_offset = offset;
      }
      next = Scroll(true, m.Below(16), h, h_offset, v, v_offset);
    } else next = m.Filler();
    s = Join({s, m.Noisy(next)});
  }
  return Join({s, m.Random_Tile(17, 49)});
}


TEST(CdgDecoderAgainstFfmpeg, RandomStreamsAgree) {
  if (!testing::Have_Ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  struct Case { bool fine_offsets; unsigned seed; };
  for (Case c : {Case{false, 1}, {false, 2}, {false, 3}, {true, 11}, {true, 12}, {true, 13}}) {
    SCOPED_TRACE(c.seed);
    Stream_Maker maker(c.seed);
    Bytes stream = c.fine_offsets ? Fine_Offset_Stream(maker, 900) : Coarse_Stream(maker, 900);
    Expect_Agreement(stream, maker.Sample_Packs(stream, 8));
  }
}

}  // namespace
}  // namespace lyricanvas
