#pragma once
// Drawing one laid-out lyrics line into a surface: an outline pass (every character printed 25
// times at offsets of -2..2 pixels) and a body pass. Both read the tables of the layout pass
// (Char_X, Char_Style, Text_Styles), so Layout_Text must have run on the current text.
// Pictures inside a line are not drawn by these passes.
#include <QString>
#include <array>
#include <optional>

#include "model/song.h"
#include "model/surface.h"

namespace lyricanvas {

/// A fixed colour, or std::nullopt for each character in its singer's palette colour of the role.
/// A character whose colour matches no singer is drawn in the colour drawn before it.
struct Render_Color {
  std::optional<QRgb> fixed;
  int role = Role_Unwiped_Body;
};

/// Outline pass; draws nothing when Draw_Outline is off unless force is set.
void Render_Outline(const Song& song, int x, int y, Surface& target, int line, bool force,
                    Render_Color color);
void Render_Body(const Song& song, int x, int y, Surface& target, int line, Render_Color color);

/// Height of a row of the timing view, which shows one line each.
constexpr int View_Row_Height = 32;

}  // namespace lyricanvas
