#pragma once
// Appearance effects: a picture comes up tile by tile, and the effect is the order of the 768
// tile updates. Also the palette entries the lyrics on screen still need while a picture is
// mapped around them.
#include <array>
#include <cstdint>
#include <string_view>

#include "cdg/run_state.h"
#include "model/song.h"

namespace lyricanvas {

constexpr int Tile_Rows = 16;
constexpr int Tile_Columns = 48;
constexpr int Tile_Count = Tile_Rows * Tile_Columns;

struct Tile {
  int row = 0;     ///< 1..16
  int column = 0;  ///< 1..48
  bool operator==(const Tile&) const = default;
};

struct Tile_Order {
  std::array<Tile, Tile_Count + 1> entries{};  ///< 1 .. count, in drawing order
  int count = 0;
  std::array<std::array<bool, Tile_Columns + 1>, Tile_Rows + 1> taken{};
};

/// Adds a tile that is on the grid and not yet in the order; true once all 768 are in.
bool Add_Tile(Tile_Order& order, int row, int column);
/// A segment from (r1, c1)-(r3, c3) moving to (r2, c2)-(r4, c4); the coordinate in which its
/// ends agree gets a ragged front.
Tile_Order Sweep_Order(double r1, double c1, double r2, double c2, double r3, double c3, double r4,
                       double c4, Sweep_Random& random);
/// A growing ellipse of half extents (r2 - r1) / 2 rows and (c2 - c1) / 2 columns whose centre
/// moves to (rt, ct).
Tile_Order Ellipse_Order(double rt, double ct, double c1, double c2, double r1, double r2);
/// The brightest tiles of the mapped picture first.
Tile_Order Lightness_Order(const Screen_Pixels& target, const Palette_Table& palette);
/// The order of the effect a property string names, reversed when asked. An unknown or empty
/// effect, and the tiles a sweep happens to miss, come column by column, each top to bottom.
Tile_Order Effect_Order(std::string_view properties, const Screen_Pixels& target,
                        const Palette_Table& palette, Sweep_Random& random);

/// Brings every tile of the screen to its target in the order of the picture's effect.
void Draw_Picture_Tiles(Creation_Run& run, std::string_view properties);

/// Marks in reserved the palette entries the lyrics of screens from .. to use.
void Reserve_Lyrics_Colors(const Creation_Run& run, const Song& song, int from, int to,
                           std::array<int, 16>& reserved);

}  // namespace lyricanvas
