#pragma once
// The tile updater: makes a shown tile equal to its target with the fewest packs, never
// overwriting a pack already in the stream (it interprets what it skips instead).
#include <array>
#include <cstdint>

#include "cdg/run_state.h"

namespace lyricanvas {

/// The packs planned for one tile: colour pair per pack and, per class, the bit in each pack.
struct Tile_Plan {
  int count = 0;                               ///< packs, 0..4
  std::array<int, 5> color0{};                 ///< 1..count
  std::array<int, 5> color1{};                 ///< 1..count
  std::array<std::array<bool, 5>, 16> bits{};  ///< bits[class][pack]
};

/// Plans the packs for the classes present in a tile. Mode 'P': a normal tile block first, then
/// XOR blocks (classes are target colours); mode 'E': XOR blocks only (classes are differences).
int Plan_Tile_Packs(const std::array<bool, 16>& present, char mode, Tile_Plan& plan);

/// Emits the packs that make tile (column 1..48, row 1..16) show its target, from
/// run.Pack_Pointer on. Returns the number of packs placed.
int Update_Tile(Creation_Run& run, int column, int row);

/// Runs Update_Tile over all 768 tiles, column by column (rows 1..16 in each), then marks the
/// stream as interpreted up to Pack_Pointer.
void Update_All_Tiles(Creation_Run& run);

void Log_Written_Pack(Creation_Run& run);
void Take_Back_Packs(Creation_Run& run);

}  // namespace lyricanvas
