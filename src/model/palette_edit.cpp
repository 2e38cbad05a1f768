#include "model/palette_edit.h"

namespace lyricanvas {

namespace {

int Level_Of(int channel) { return channel / 16; }  // channel is 0..255, so this is the floor

/// First index i in 0..3 with start[i] <= v <= start[i] + extent, -1 when none.
int Band_At(const int (&start)[4], int extent, int v) {
  for (int i = 0; i < 4; ++i)
    if (v >= start[i] && v <= start[i] + extent) return i;
  return -1;
}

}  // namespace

Dialog_Color Palette_Dialog_Color(const Palette_Table& palette, int i) {
  return palette[i][1] * 17 + 256 * (palette[i][2] * 17) + 65536 * (palette[i][3] * 17);
}

std::string Palette_Custom_Colors(const Palette_Table& palette) {
  std::string custom;
  custom.reserve(Custom_Colors_Length);
  for (const auto& entry : palette) {
    for (int j = 1; j <= 3; ++j) custom += static_cast<char>(entry[j] * 17);
    custom += '\0';
  }
  return custom;
}

void Apply_Color_Dialog(Song& song, int k, Dialog_Color chosen, const std::string& custom_colors) {
  for (int i = 0; i < 16 && 4 * i + 2 < static_cast<int>(custom_colors.size()); ++i)
    for (int j = 1; j <= 3; ++j)
      song.Palette[i][j] = Level_Of(static_cast<unsigned char>(custom_colors[4 * i + j - 1]));
  if (chosen >= 0 && k >= 0 && k < 16) {
    song.Palette[k][1] = Level_Of(static_cast<int>(chosen & 255));
    song.Palette[k][2] = Level_Of(static_cast<int>((chosen & 65535) / 256));
    song.Palette[k][3] = Level_Of(static_cast<int>((chosen / 65536) & 255));
  }
  Update_Palette_RGB(song);
}

int Swatch_At(const Swatch_Grid& grid, int x, int y) {
  const int c = Band_At(grid.left, grid.width, x);
  const int r = Band_At(grid.top, grid.height, y);
  return c < 0 || r < 0 ? -1 : 4 * r + c;
}

}  // namespace lyricanvas
