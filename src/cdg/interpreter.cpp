#include "cdg/interpreter.h"

#include <algorithm>
#include <cstring>

#include "cdg/packs.h"

namespace lyricanvas {

namespace {

constexpr int Data = 4;  ///< offset of data[0] in a pack

int Data_Byte(const Pack& pack, int i, int mask) {
  return pack[static_cast<std::size_t>(Data + i)] & mask;
}

/// Colours a band of twelve pixel rows over the full inner width.
void Apply_Memory_Preset(Screen_Pixels& screen, const Pack& pack) {
  const auto color = static_cast<std::uint8_t>(Data_Byte(pack, 0, 63));
  const int band = Data_Byte(pack, 1, 63);
  const int top = 12 * band;
  const int bottom = std::min(top + 11, Screen_Pixels::Rows - 1);
  for (int y = top; y <= bottom; ++y) {
    for (int x = 0; x < Inner_Width; ++x) screen(y, x) = color;
  }
}

/// Paints or XORs one tile given in screen tile coordinates, the border being row 0 and
/// column 0; whatever lies outside the modelled area is dropped.
void Apply_Tile(Screen_Pixels& screen, const Pack& pack, int row, int column, int color0,
                int color1, bool exclusive_or) {
  for (int r = 0; r < 12; ++r) {
    const int y = 12 * row + r - 12;
    if (y < 0 || y >= Screen_Pixels::Rows) continue;
    const int bits = Data_Byte(pack, 4 + r, 63);
    for (int k = 0; k < 6; ++k) {
      const int x = 6 * column + k - 6;
      if (x < 0 || x >= Screen_Pixels::Columns) continue;
      const int color = (bits & Bit_Masks[static_cast<std::size_t>(5 - k)]) != 0 ? color1 : color0;
      auto& pixel = screen(y, x);
      pixel = static_cast<std::uint8_t>(exclusive_or ? (pixel ^ color) : color);
    }
  }
}

void Apply_Normal_Tile(Screen_Pixels& screen, const Pack& pack) {
  Apply_Tile(screen, pack, Data_Byte(pack, 2, 63) % 18, Data_Byte(pack, 3, 63) % 50,
             Data_Byte(pack, 0, 63), Data_Byte(pack, 1, 63), false);
}

void Apply_Xor_Tile(Screen_Pixels& screen, const Pack& pack) {
  const int row = Data_Byte(pack, 2, 63);
  const int column = Data_Byte(pack, 3, 63);
  if (row > 20 || column > 50) return;
  Apply_Tile(screen, pack, row, column, Data_Byte(pack, 0, 15), Data_Byte(pack, 1, 15), true);
}

/// Takes a wipe pack out of the stream, and keeps it with its line, when the line is not on the
/// screen yet or its tile of the line is still to be drawn; in the latter case the target
/// takes it at once. Returns whether it did.
bool Withhold_Early_Wipe(Creation_Run& run, std::int64_t slot) {
  if ((run.Pack_Buffer.At(slot)[1] & 63) != Tile_Block_Xor) return false;  // wipes are XOR tiles
  const auto owner = run.Wipe_Line_At.find(slot);
  if (owner == run.Wipe_Line_At.end()) return false;
  coloring_line& rec = run.coloring_table[static_cast<std::size_t>(owner->second)];
  const Pack& pack = run.Pack_Buffer.At(slot);
  if (rec.Drawn) {
    if (Tile_Shows_Target(run, Data_Byte(pack, 3, 63), Data_Byte(pack, 2, 63))) return false;
    Apply_Pack(run.Target_Screen, pack);
  }
  rec.Withheld_Wipes.push_back(pack);
  std::erase(rec.Wipe_Slots, slot);
  run.Pack_Buffer.Clear_Slot(slot);
  run.Wipe_Line_At.erase(owner);
  return true;
}

}  // namespace

bool Tile_Shows_Target(const Creation_Run& run, int column, int row) {
  if (column < 1 || column > Inner_Width / 6 || row < 1 || row > Inner_Height / 12) return true;
  for (int y = 12 * (row - 1); y < 12 * row; ++y) {
    const std::size_t at = static_cast<std::size_t>(y * Screen_Pixels::Columns + 6 * (column - 1));
    if (std::memcmp(run.Shown_Screen.Pixels.data() + at, run.Target_Screen.Pixels.data() + at, 6))
      return false;
  }
  return true;
}

bool Apply_Pack(Screen_Pixels& screen, const Pack& pack) {
  switch (pack[1] & 63) {
    case Memory_Preset:
      Apply_Memory_Preset(screen, pack);
      return true;
    case Tile_Block:
      Apply_Normal_Tile(screen, pack);
      return true;
    case Tile_Block_Xor:
      Apply_Xor_Tile(screen, pack);
      return true;
    case Border_Preset:
    case Load_Colors_Low:
    case Load_Colors_High:
      return true;
    default:
      return false;
  }
}

void Interpret_Pack(Creation_Run& run, std::int64_t slot) {
  if (!run.Pack_Buffer.Occupied(slot) || Withhold_Early_Wipe(run, slot)) return;
  const Pack& pack = run.Pack_Buffer.At(slot);
  Apply_Pack(run.Target_Screen, pack);
  if (Apply_Pack(run.Shown_Screen, pack)) run.Interpreted_Up_To = slot;
}

void Interpret_Packs_Up_To(Creation_Run& run, std::int64_t end) {
  // Interpretation always resumes right after the last slot it covered: starting earlier would
  // apply XOR packs twice, and marking the slot after the last visited one as done would leave
  // a pack there out of the screen model.
  run.Pack_Pointer = run.Interpreted_Up_To + 1;
  while (run.Pack_Pointer <= end - 1 && run.Pack_Pointer <= run.Pack_Buffer.Last_Slot()) {
    Interpret_Pack(run, run.Pack_Pointer);
    ++run.Pack_Pointer;
  }
  run.Interpreted_Up_To = run.Pack_Pointer - 1;
}

void Skip_Interpretation_To(Creation_Run& run, std::int64_t last) {
  for (std::int64_t slot = run.Interpreted_Up_To + 1; slot <= last; ++slot)
    if (run.Pack_Buffer.Occupied(slot)) Withhold_Early_Wipe(run, slot);
  run.Interpreted_Up_To = last;
}

}  // namespace lyricanvas
