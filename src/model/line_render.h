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

/// The timing view: the rows it drew last, so a row drawn again unchanged is skipped.
struct View_Rows {
  struct Row {
    int line = -1;
    bool wiped = false;
    std::array<QRgb, 16> palette{};
    QString text;  ///< the line's text and place when drawn, so an edited line is redrawn
    int x = 0;
    bool operator==(const Row&) const = default;
  };
  std::array<Row, 5> rows{};
};

constexpr int View_Row_Height = 32;
constexpr int View_Width = 288;

/// Draws line into row slot 0..4 (32 pixels each) of the view surface.
void Render_View_Line(const Song& song, int line_y_offset, Surface& view, View_Rows& rows, int line,
                      bool wiped, int row);

}  // namespace lyricanvas
