#pragma once
// CD+G packs as the engine writes them, and the writers that place one kind of pack each.
// Every writer places its packs from a slot on and advances the run's Pack_Pointer.
#include <array>
#include <cstdint>
#include <span>

#include "cdg/run_state.h"

namespace lyricanvas {

enum Instruction : std::uint8_t {
  Memory_Preset = 1,
  Border_Preset = 2,
  Tile_Block = 6,
  Scroll_Preset = 20,  ///< never written by the engine; previews of other files read it
  Scroll_Copy = 24,    ///< never written by the engine; previews of other files read it
  Define_Transparent = 28,
  Load_Colors_Low = 30,
  Load_Colors_High = 31,
  Tile_Block_Xor = 38,
};

/// Bit_Masks(k): pixel k of a tile row is set when (row byte And Bit_Masks(5 - k)) <> 0.
constexpr std::array<std::uint8_t, 6> Bit_Masks{1, 2, 4, 8, 16, 32};

/// A pack with command 9, the instruction, the data bytes and zero parity.
Pack Make_Pack(std::uint8_t instruction, std::span<const std::uint8_t> data);
/// The two data bytes of a colour of red, green and blue 0..15.
std::array<std::uint8_t, 2> Encode_Color(int red, int green, int blue);
/// The Load Colour Table pack of one half of a palette: half 0 colours 0..7, half 1 8..15.
Pack Make_Color_Table_Pack(const Palette_Table& palette, int half);

/// Puts the pack into the first empty slot from `slot` on (out of range: dropped) and returns
/// the slot after it: a preset or colour table never replaces a wipe pack already placed.
std::int64_t Put_In_Free_Slot(Creation_Run& run, std::int64_t slot, const Pack& pack);
/// Moves Pack_Pointer past the slots that already hold a pack.
void Skip_Occupied(Creation_Run& run);

// The writers of presets and colour tables place each pack in the first empty slot from the
// given one (or Pack_Pointer) on and leave Pack_Pointer after the last.
void Write_Memory_Preset(Creation_Run& run, int color, std::int64_t& slot);
void Write_Border_Preset(Creation_Run& run, int color);
void Write_Color_Tables(Creation_Run& run, const Palette_Table& palette, std::int64_t& slot);
void Write_Transparency(Creation_Run& run, std::int64_t& slot);

}  // namespace lyricanvas
