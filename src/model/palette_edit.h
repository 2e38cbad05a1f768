#pragma once
// Editing the 16 palette colours through a colour dialog. The dialog speaks 8-bit RGB, the
// palette 4-bit levels: a level v is shown as v * 17 and a channel value c is read back as
// floor(c / 16), so a level that goes out to the dialog and back is unchanged.
#include <cstdint>
#include <string>

#include "model/song.h"

namespace lyricanvas {

/// Length of the dialog's custom-colour string: 16 colours of red, green, blue and a zero byte.
constexpr std::size_t Custom_Colors_Length = 64;

/// A colour as the dialog returns it: red + 256 * green + 65536 * blue; -1 when cancelled.
using Dialog_Color = std::int64_t;

/// The colour of palette entry i as the dialog shows it.
Dialog_Color Palette_Dialog_Color(const Palette_Table& palette, int i);
/// The custom-colour string that presents the whole palette to the dialog.
std::string Palette_Custom_Colors(const Palette_Table& palette);

/// Takes the dialog's answer back into the palette: every custom colour becomes its entry
/// (so custom colours edited in the dialog are kept even when it was cancelled), then the chosen
/// colour, unless the dialog was cancelled, becomes entry k. Palette_RGB follows.
void Apply_Color_Dialog(Song& song, int k, Dialog_Color chosen, const std::string& custom_colors);

/// The entry under a point of a 4 x 4 grid of swatches, -1 between or outside them.
/// left[c] and top[r] are the edges of column c and row r; every swatch is width x height.
struct Swatch_Grid {
  int left[4] = {};
  int top[4] = {};
  int width = 0;
  int height = 0;
};
int Swatch_At(const Swatch_Grid& grid, int x, int y);

}  // namespace lyricanvas
