#include "model/line_render.h"

#include <algorithm>

namespace lyricanvas {

namespace {

constexpr int Outline_Spread = 2;

struct Offset_Range {
  int start = 0;  ///< first offset of the line
  int end = 0;    ///< one past the last drawn offset (trailing line break dropped)
};

// The offsets of a line that carry x positions, without its line break.
std::optional<Offset_Range> Drawn_Range(const Song& song, const QString& text, int line) {
  if (line < 1 || line > Max_Lines) return std::nullopt;
  const int start = song.Line_Start[line - 1];
  if (start < 0) return std::nullopt;
  int end = song.Line_Start[line];
  if (end < 0 || end > text.size()) end = static_cast<int>(text.size());
  while (end > start && (text[end - 1] == QChar('\r') || text[end - 1] == QChar('\n'))) --end;
  end = std::min(end, Max_Char_X + 1);
  if (end <= start) return std::nullopt;
  return Offset_Range{start, end};
}

// The characters of [from, to) that are printed: pictures take no room and are drawn elsewhere.
QString Printable(const QString& text, int from, int to) {
  QString out = text.mid(from, to - from);
  out.removeIf([](QChar c) { return Is_Picture_Char(c); });
  return out;
}

bool Valid_Style(const Song& song, int style) {
  return style >= 1 && style < static_cast<int>(song.Text_Styles.size());
}

// Sets the drawing colour of a style; a colour of no singer leaves the previous colour.
void Set_Style_Color(const Song& song, Surface& target, int style, const Render_Color& color) {
  if (color.fixed) {
    target.Set_Color(*color.fixed);
    return;
  }
  std::optional<int> entry = Singer_Palette_Index(
      song, song.Text_Styles[static_cast<std::size_t>(style)].Text_Color, color.role);
  if (entry && *entry >= 0 && *entry < 16) target.Set_Color(song.Palette_RGB[*entry]);
}

void Print_Run(const Song& song, Surface& target, int style, const Render_Color& color,
               const QString& text, int x, int y, int spread) {
  if (!Valid_Style(song, style)) return;
  target.Set_Font(song.Text_Styles[static_cast<std::size_t>(style)].Font);
  Set_Style_Color(song, target, style, color);
  target.Set_Pos(x, y);
  target.Print_Spread(text, spread);
}

// One pass: a line of one style is printed whole at x; a mixed line run by run at the runs'
// own positions. Equal Char_Style means equal font and colour.
void Draw_Pass(const Song& song, int x, int y, Surface& target, int line, const Render_Color& color,
               int spread) {
  const QString text = song.RTB_Raw.Text();
  const std::optional<Offset_Range> range = Drawn_Range(song, text, line);
  if (!range) return;
  const auto* styles = song.Char_Style.data();
  const bool uniform = std::all_of(styles + range->start, styles + range->end,
                                   [&](std::int16_t s) { return s == styles[range->start]; });
  if (uniform) {
    Print_Run(song, target, styles[range->start], color, Printable(text, range->start, range->end),
              x, y, spread);
    return;
  }
  for (int run = range->start; run < range->end;) {
    int next = run + 1;
    while (next < range->end && styles[next] == styles[run]) ++next;
    Print_Run(song, target, styles[run], color, Printable(text, run, next), song.Char_X[run], y,
              spread);
    run = next;
  }
}

}  // namespace

void Render_Outline(const Song& song, int x, int y, Surface& target, int line, bool force,
                    Render_Color color) {
  if (!song.Draw_Outline && !force) return;
  Draw_Pass(song, x, y, target, line, color, Outline_Spread);
}

void Render_Body(const Song& song, int x, int y, Surface& target, int line, Render_Color color) {
  Draw_Pass(song, x, y, target, line, color, 0);
}

}  // namespace lyricanvas
