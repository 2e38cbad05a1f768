// The CD+G decoder: one pack at a time onto a 300 x 216 picture memory, a palette and the fine
// scroll offsets. Every field is masked to its width before use, so any input is safe.
#include "cdg/cdg_decoder.h"

#include "cdg/packs.h"

#include <algorithm>
#include <cmath>

namespace lyricanvas {
namespace {

constexpr std::uint8_t Graphics_Command = 9;
constexpr int Tile_Width = 6;
constexpr int Tile_Height = 12;
constexpr int Tile_Columns = Cdg_Width / Tile_Width;   // 50
constexpr int Tile_Rows = Cdg_Height / Tile_Height;    // 18
constexpr int Max_H_Offset = Tile_Width - 1;
constexpr int Max_V_Offset = Tile_Height - 1;

/// Scroll commands of the two scroll instructions: 1 moves right or down, 2 left or up.
enum Scroll_Command : int { Scroll_None = 0, Scroll_Forward = 1, Scroll_Back = 2 };

using Data = std::array<std::uint8_t, 16>;

int Wrap(int value, int size) { return ((value % size) + size) % size; }

std::uint8_t& Memory_At(Cdg_Decoder& decoder, int x, int y) {
  return decoder.memory[static_cast<std::size_t>(y * Cdg_Width + x)];
}

void Fill_Border(Cdg_Decoder& decoder, std::uint8_t color) {
  for (int y = 0; y < Cdg_Height; ++y)
    for (int x = 0; x < Cdg_Width; ++x) {
      bool inner = x >= Tile_Width && x < Cdg_Width - Tile_Width && y >= Tile_Height &&
                   y < Cdg_Height - Tile_Height;
      if (!inner) Memory_At(decoder, x, y) = color;
    }
}

// Rows are 5 bits and columns 6 bits wide; a tile outside the 50 x 18 grid is not drawn.
void Draw_Tile(Cdg_Decoder& decoder, const Data& data, bool xor_mode) {
  const std::uint8_t colors[2] = {static_cast<std::uint8_t>(data[0] & 15),
                                  static_cast<std::uint8_t>(data[1] & 15)};
  int row = data[2] & 31;
  int column = data[3];
  if (row >= Tile_Rows || column >= Tile_Columns) return;
  for (int r = 0; r < Tile_Height; ++r)
    for (int k = 0; k < Tile_Width; ++k) {
      std::uint8_t color = colors[(data[4 + r] >> (5 - k)) & 1];
      std::uint8_t& pixel = Memory_At(decoder, column * Tile_Width + k, row * Tile_Height + r);
      pixel = xor_mode ? static_cast<std::uint8_t>(pixel ^ color) : color;
    }
}

// Colour k: first byte red in bits 5..2 and green bits 3..2 in bits 1..0; second byte green
// bits 1..0 in bits 5..4 and blue in bits 3..0.
void Load_Colors(Cdg_Decoder& decoder, const Data& data, int first) {
  for (int k = 0; k < 8; ++k) {
    int high = data[2 * k];
    int low = data[2 * k + 1];
    int red = high >> 2;
    int green = ((high & 3) << 2) | (low >> 4);
    int blue = low & 15;
    decoder.palette[static_cast<std::size_t>(first + k)] = qRgb(red * 17, green * 17, blue * 17);
  }
}

int Coarse_Step(int command, int step) {
  if (command == Scroll_Forward) return step;
  if (command == Scroll_Back) return -step;
  return 0;
}

// Moves the whole memory by (dx, dy). A Scroll Copy brings what leaves one edge in at the
// other; a Scroll Preset fills the vacated strip with the colour.
void Shift_Memory(Cdg_Decoder& decoder, int dx, int dy, bool copy, std::uint8_t color) {
  const auto old = decoder.memory;
  for (int y = 0; y < Cdg_Height; ++y)
    for (int x = 0; x < Cdg_Width; ++x) {
      int from_x = x - dx;
      int from_y = y - dy;
      bool vacated = from_x < 0 || from_x >= Cdg_Width || from_y < 0 || from_y >= Cdg_Height;
      Memory_At(decoder, x, y) =
          vacated && !copy
              ? color
              : old[static_cast<std::size_t>(Wrap(from_y, Cdg_Height) * Cdg_Width +
                                             Wrap(from_x, Cdg_Width))];
    }
}

// data[1]: horizontal command in bits 5..4, offset in bits 2..0; data[2]: vertical command in
// bits 5..4, offset in bits 3..0. Offsets beyond one tile (6, 7; 12 .. 15) are held at the
// largest that stays within it.
void Scroll(Cdg_Decoder& decoder, const Data& data, bool copy) {
  int dx = Coarse_Step(data[1] >> 4, Tile_Width);
  int dy = Coarse_Step(data[2] >> 4, Tile_Height);
  if (dx != 0 || dy != 0) Shift_Memory(decoder, dx, dy, copy, data[0] & 15);
  decoder.h_offset = std::min(data[1] & 7, Max_H_Offset);
  decoder.v_offset = std::min(data[2] & 15, Max_V_Offset);
}

void Apply(Cdg_Decoder& decoder, std::uint8_t instruction, const Data& data) {
  switch (instruction) {
    case Memory_Preset:  // acted on at every repeat: discs repeat it for robustness
      decoder.memory.fill(data[0] & 15);
      break;
    case Border_Preset:
      Fill_Border(decoder, data[0] & 15);
      break;
    case Tile_Block:
    case Tile_Block_Xor:
      Draw_Tile(decoder, data, instruction == Tile_Block_Xor);
      break;
    case Scroll_Preset:
    case Scroll_Copy:
      Scroll(decoder, data, instruction == Scroll_Copy);
      break;
    case Load_Colors_Low:
    case Load_Colors_High:
      Load_Colors(decoder, data, instruction == Load_Colors_Low ? 0 : 8);
      break;
    case Define_Transparent:  // only for mixing with video; a preview shows opaque colours
    default:
      break;
  }
}

}  // namespace

void Cdg_Decode_Pack(Cdg_Decoder& decoder, std::span<const std::uint8_t, Cdg_Pack_Bytes> pack) {
  ++decoder.packs_fed;
  if ((pack[0] & 63) != Graphics_Command) return;
  Data data{};
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = pack[4 + i] & 63;
  Apply(decoder, pack[1] & 63, data);
}

std::int64_t Cdg_Decode_Packs(Cdg_Decoder& decoder, std::span<const std::uint8_t> bytes) {
  std::int64_t count = Cdg_Pack_Count(bytes);
  for (std::int64_t n = 0; n < count; ++n)
    Cdg_Decode_Pack(decoder, bytes.subspan(static_cast<std::size_t>(n) * Cdg_Pack_Bytes)
                                 .first<Cdg_Pack_Bytes>());
  return count;
}

std::uint8_t Cdg_Shown_Index(const Cdg_Decoder& decoder, int x, int y) {
  int from_x = Wrap(x - decoder.h_offset, Cdg_Width);
  int from_y = Wrap(y - decoder.v_offset, Cdg_Height);
  return decoder.memory[static_cast<std::size_t>(from_y * Cdg_Width + from_x)];
}

QImage Cdg_Image(const Cdg_Decoder& decoder) {
  QImage image(Cdg_Width, Cdg_Height, QImage::Format_RGB32);
  for (int y = 0; y < Cdg_Height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < Cdg_Width; ++x) line[x] = decoder.palette[Cdg_Shown_Index(decoder, x, y)];
  }
  return image;
}

std::int64_t Cdg_Pack_Count(std::span<const std::uint8_t> bytes) {
  return static_cast<std::int64_t>(bytes.size() / Cdg_Pack_Bytes);
}

std::int64_t Cdg_Pack_At(double seconds) {
  constexpr double Largest = 9e15;  // far beyond any stream, still exact as a double
  double pack = std::floor(seconds * Cdg_Packs_Per_Second + 1e-6);
  if (!(pack > -1)) return -1;  // negative times and NaN: before the first pack
  return static_cast<std::int64_t>(std::min(pack, Largest));
}

QImage Decode_Frame(std::span<const std::uint8_t> bytes, std::int64_t pack_index) {
  Cdg_Decoder decoder;
  std::int64_t available = Cdg_Pack_Count(bytes);
  std::int64_t count = pack_index < 0 ? 0 : pack_index >= available ? available : pack_index + 1;
  Cdg_Decode_Packs(decoder, bytes.first(static_cast<std::size_t>(count) * Cdg_Pack_Bytes));
  return Cdg_Image(decoder);
}

}  // namespace lyricanvas
