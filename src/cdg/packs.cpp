#include "cdg/packs.h"

#include <algorithm>

namespace lyricanvas {

namespace {

constexpr std::uint8_t Graphics_Command = 9;
constexpr std::size_t Data_Offset = 4;
constexpr std::size_t Data_Size = 16;
constexpr std::uint8_t Fully_Transparent = 63;

}  // namespace

Pack Make_Color_Table_Pack(const Palette_Table& palette, int half) {
  std::array<std::uint8_t, Data_Size> data{};
  for (int k = 0; k < 8; ++k) {
    const auto& entry = palette[static_cast<std::size_t>(8 * half + k)];
    const auto bytes = Encode_Color(entry[1], entry[2], entry[3]);
    data[static_cast<std::size_t>(2 * k)] = bytes[0];
    data[static_cast<std::size_t>(2 * k + 1)] = bytes[1];
  }
  return Make_Pack(static_cast<std::uint8_t>(Load_Colors_Low + half), data);
}

Pack Make_Pack(std::uint8_t instruction, std::span<const std::uint8_t> data) {
  Pack pack{};
  pack[0] = Graphics_Command;
  pack[1] = instruction;
  const std::size_t count = std::min(data.size(), Data_Size);
  for (std::size_t i = 0; i < count; ++i) pack[Data_Offset + i] = data[i] & 63;
  return pack;
}

std::array<std::uint8_t, 2> Encode_Color(int red, int green, int blue) {
  // Twelve bits over two six-bit bytes: red and the high half of green, then the low half of
  // green and blue.
  const int first = (red & 15) * 4 + (green & 15) / 4;
  const int second = (((green & 15) * 16) & 48) + (blue & 15);
  return {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)};
}

std::int64_t Put_In_Free_Slot(Creation_Run& run, std::int64_t slot, const Pack& pack) {
  while (run.Pack_Buffer.Occupied(slot)) ++slot;
  run.Pack_Buffer.Put(slot, pack);
  return slot + 1;
}

void Skip_Occupied(Creation_Run& run) {
  while (run.Pack_Buffer.Occupied(run.Pack_Pointer)) ++run.Pack_Pointer;
}

void Write_Memory_Preset(Creation_Run& run, int color, std::int64_t& slot) {
  // The slot may be Pack_Pointer itself, so read it before the pointer moves.
  std::int64_t at = slot;
  for (int repeat = 0; repeat < 16; ++repeat) {
    const std::array<std::uint8_t, 2> data{static_cast<std::uint8_t>(color),
                                           static_cast<std::uint8_t>(repeat)};
    at = Put_In_Free_Slot(run, at, Make_Pack(Memory_Preset, data));
  }
  run.Pack_Pointer = at;
}

void Write_Border_Preset(Creation_Run& run, int color) {
  const std::array<std::uint8_t, 1> data{static_cast<std::uint8_t>(color)};
  run.Pack_Pointer = Put_In_Free_Slot(run, run.Pack_Pointer, Make_Pack(Border_Preset, data));
}

void Write_Color_Tables(Creation_Run& run, const Palette_Table& palette, std::int64_t& slot) {
  const std::int64_t at = Put_In_Free_Slot(run, slot, Make_Color_Table_Pack(palette, 0));
  run.Pack_Pointer = Put_In_Free_Slot(run, at, Make_Color_Table_Pack(palette, 1));
}

void Write_Transparency(Creation_Run& run, std::int64_t& slot) {
  // Normally colour 0 is see-through and the rest opaque; reversed, the other way round.
  const bool reverse = run.Settings.Reverse_Transparency;
  std::array<std::uint8_t, Data_Size> data{};
  data.fill(reverse ? Fully_Transparent : 0);
  data[0] = reverse ? 0 : Fully_Transparent;
  run.Pack_Pointer = Put_In_Free_Slot(run, slot, Make_Pack(Define_Transparent, data));
}

}  // namespace lyricanvas
