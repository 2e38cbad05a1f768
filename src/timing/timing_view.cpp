#include "timing/timing_view.h"

#include <algorithm>
#include <memory>

#include "cdg/creation.h"
#include "model/layout.h"
#include "model/line_render.h"
#include "timing/areas.h"

namespace lyricanvas {

namespace {

/// Rows of a line in the view, so that the row height centres the letters.
constexpr int Lines_Fitting_View_Rows = 192 / View_Row_Height;

int X_At(const Song& song, int offset) {
  return offset >= 0 && offset <= Max_Char_X ? song.Char_X[static_cast<std::size_t>(offset)] : 0;
}

bool Valid_Field(const Song& song, int f) { return f >= 1 && f <= song.Field_Count; }

int Last_Line(const Song& song) { return std::min(Line_Count(song), Max_Lines); }

// Prints a line's letters at the view's print offset into a surface, in unwiped or wiped roles.
void Print_Line(const Timing_Editor& te, const Song& song, Surface& target, int top, int line,
                bool wiped) {
  const int x = Line_X(song, line);
  const int y = top + te.Line_Y_Offset;
  Render_Outline(song, x, y, target, line, false,
                 {std::nullopt, wiped ? Role_Wiped_Outline : Role_Unwiped_Outline});
  Render_Body(song, x, y, target, line,
              {std::nullopt, wiped ? Role_Wiped_Body : Role_Unwiped_Body});
}

// Copies columns [from, to] of a one-line surface onto a row band of the view, below the band's
// top pixel row and never into the next band, which a full redraw would paint over.
void Copy_Columns(Timing_Editor& te, const Surface& from_surface, int row, int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, Timing_View_Width - 1);
  if (to < from || row < 0 || row >= Timing_View_Rows) return;
  te.Pic_Indication.Copy_Rect(from_surface, from, 1, to - from + 1, View_Row_Height - 1, from,
                              row * View_Row_Height + 1);
  te.View_Changed = true;
}

/// Syllable separators (Tab mode) go on top of whatever was drawn or copied into the row last.
void Keep_Field_Marks_On_Top(Timing_Editor& te, const Song& song, int row, int line) {
  if (song.Window_Controls.Checked("Chk_Tabmode"))
    Draw_Field_Marks(te, song, row * View_Row_Height, line);
}

}  // namespace

int Line_Of_Char(const Song& song, int position) {
  if (position < 1) return 0;
  return song.RTB_Raw.Line_Index(position - 1) + 1;
}

int Char_Left(const Song& song, int position) {
  return X_At(song, position - 1) + Edge_Offset(song, position - 1);
}

int Field_Left(const Song& song, int f) {
  if (!Valid_Field(song, f)) return 0;
  return Char_Left(song, song.Fields[static_cast<std::size_t>(f)].First_Char);
}

int Field_Right(const Song& song, int f) {
  if (!Valid_Field(song, f)) return 0;
  const int last = song.Fields[static_cast<std::size_t>(f)].Last_Char;
  return X_At(song, last) + Edge_Offset(song, last);
}

int Line_Start_Column(const Song& song, int line) { return std::max(Line_X(song, line), 0); }

int Line_End_Column(const Song& song, int line) {
  return line >= 1 && line <= Max_Lines ? song.Line_End_X[static_cast<std::size_t>(line)] : 0;
}

int Field_Width(const Song& song, int f) {
  if (!Valid_Field(song, f)) return 0;
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  const int first_line = Line_Of_Char(song, field.First_Char);
  const int last_line = Line_Of_Char(song, field.Last_Char);
  if (last_line <= first_line) return Field_Right(song, f) - Field_Left(song, f);
  int width = Line_End_Column(song, first_line) - Field_Left(song, f);
  for (int line = first_line + 1; line < last_line; ++line)
    width += Line_End_Column(song, line) - Line_Start_Column(song, line);
  return width + Field_Right(song, f) - Line_Start_Column(song, last_line);
}

std::pair<int, int> Line_Chars(const Song& song, int line) {
  if (line < 1 || line > Max_Lines || song.Line_Start[static_cast<std::size_t>(line - 1)] < 0)
    return {1, 0};
  const QString text = song.RTB_Raw.Text();
  const int first = song.Line_Start[static_cast<std::size_t>(line - 1)] + 1;
  int last = song.Line_Start[static_cast<std::size_t>(line)];
  if (last < 0 || last > text.size()) last = static_cast<int>(text.size());
  while (last >= first && (text[last - 1] == QChar('\r') || text[last - 1] == QChar('\n'))) --last;
  return {first, last};
}

void Prepare_Timing_View(Timing_Editor& te, Song& song) {
  Update_Palette_RGB(song);
  auto run = std::make_unique<Creation_Run>();
  run->Lines_Per_Screen = Lines_Fitting_View_Rows;
  Measure_Line_Y_Offset(*run, song);
  te.Line_Y_Offset = run->Line_Y_Offset;
  te.VSc_Line_Max = std::max(1, Last_Line(song));
  te.VSc_Line_Value = std::clamp(te.VSc_Line_Value, 1, te.VSc_Line_Max);
  te.Pic_Indication.Set_Background(song.Palette_RGB[0]);
  te.Pic_Hidden_Screen.Set_Background(song.Palette_RGB[0]);
  te.Pic_Indication.Cls();
  te.Hidden_Line = 0;
}

void Redraw_View(Timing_Editor& te, const Song& song, int first_line) {
  for (int row = 0; row < Timing_View_Rows; ++row) Draw_View_Line(te, song, row, first_line + row);
}

void Draw_View_Line(Timing_Editor& te, const Song& song, int row, int line) {
  const int top = row * View_Row_Height;
  te.Pic_Indication.Fill_Rect(0, top, Timing_View_Width - 1, top + View_Row_Height - 1,
                              song.Palette_RGB[0]);
  te.View_Changed = true;
  if (line < 1 || line > Last_Line(song)) return;
  Print_Line(te, song, te.Pic_Indication, top, line, false);
  const auto [first, last] = Line_Chars(song, line);
  for (int i = 1; i <= te.Area_Count; ++i) {
    const Area_Rec& area = te.Areas[static_cast<std::size_t>(i)];
    // Areas are in text order: those before the line's characters are skipped cheaply.
    if (area.Starting_Character > last) break;
    if (area.Ending_Character < first) continue;
    const auto span = Area_Wiped_Span(te, song, i, line);
    if (!span) continue;
    Render_Wiped_Line(te, song, line);
    Copy_Columns(te, te.Pic_Hidden_Screen, row, span->first, span->second);
  }
  Keep_Field_Marks_On_Top(te, song, row, line);
}

void Scroll_View_Up(Timing_Editor& te, const Song& song, int n) {
  n = std::clamp(n, 0, Timing_View_Rows);
  const int shift = n * View_Row_Height;
  const Surface before = te.Pic_Indication;
  te.Pic_Indication.Copy_Rect(before, 0, shift, Timing_View_Width, Timing_View_Height - shift, 0,
                              0);
  for (int row = Timing_View_Rows - n; row < Timing_View_Rows; ++row)
    Draw_View_Line(te, song, row, te.VSc_Line_Value + row);
}

void Scroll_View_Down(Timing_Editor& te, const Song& song) {
  const Surface before = te.Pic_Indication;
  te.Pic_Indication.Copy_Rect(before, 0, 0, Timing_View_Width, Timing_View_Height - View_Row_Height,
                              0, View_Row_Height);
  Draw_View_Line(te, song, 0, te.VSc_Line_Value);
}

void VSc_Line_Change(Timing_Editor& te, const Song& song, int value) {
  value = std::clamp(value, 1, te.VSc_Line_Max);
  const int step = value - te.VSc_Line_Value;
  te.VSc_Line_Value = value;
  if (step == 0) return;
  if (step == -1)
    Scroll_View_Down(te, song);
  else if (step >= 1 && step <= 3)
    Scroll_View_Up(te, song, step);
  else
    Redraw_View(te, song, value);
}

void Mark_Field(Timing_Editor& te, const Song& song, int f, QRgb color) {
  if (!Valid_Field(song, f) || Is_Empty(song.Fields[static_cast<std::size_t>(f)])) return;
  const int line = Line_Of_Char(song, song.Fields[static_cast<std::size_t>(f)].First_Char);
  const int row = Row_Of_Line(te, line);
  if (row < 0 || row >= Timing_View_Rows) return;
  // The band takes the colour behind the letters, so the marked syllable stays readable.
  Surface band(Timing_View_Width, View_Row_Height + 1, color);
  band.Cls();
  Print_Line(te, song, band, 0, line, false);
  const int last = Line_Of_Char(song, song.Fields[static_cast<std::size_t>(f)].Last_Char);
  const int right =
      last > line ? Line_End_Column(song, line) + song.Wipe_Margin : Field_Right(song, f);
  Copy_Columns(te, band, row, Field_Left(song, f), right - 1);
  Keep_Field_Marks_On_Top(te, song, row, line);
}

void Render_Wiped_Line(Timing_Editor& te, const Song& song, int line) {
  if (te.Hidden_Line == line) return;
  te.Pic_Hidden_Screen.Set_Background(song.Palette_RGB[0]);
  te.Pic_Hidden_Screen.Cls();
  Print_Line(te, song, te.Pic_Hidden_Screen, 0, line, true);
  te.Hidden_Line = line;
}

void Copy_Wiped_Columns(Timing_Editor& te, const Song& song, int line, int from, int to) {
  // Lines scrolled out of the view are drawn when they come back; nothing to report.
  const int row = Row_Of_Line(te, line);
  if (row < 0 || row >= Timing_View_Rows || line < 1 || line > Last_Line(song)) return;
  Render_Wiped_Line(te, song, line);
  Copy_Columns(te, te.Pic_Hidden_Screen, row, std::min(from, to), std::max(from, to));
  Keep_Field_Marks_On_Top(te, song, row, line);
}

void Show_Field_Wiped(Timing_Editor& te, const Song& song, int f) {
  if (!Valid_Field(song, f) || Is_Empty(song.Fields[static_cast<std::size_t>(f)])) return;
  const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
  const int first = Line_Of_Char(song, field.First_Char);
  const int last = Line_Of_Char(song, field.Last_Char);
  for (int line = first; line <= last; ++line) {
    const int from = line == first ? Field_Left(song, f) : Line_Start_Column(song, line);
    const int to =
        line == last ? Field_Right(song, f) - 1 : Line_End_Column(song, line) + song.Wipe_Margin;
    Copy_Wiped_Columns(te, song, line, from, to);
  }
}

void Draw_Field_Marks(Timing_Editor& te, const Song& song, int y, int line) {
  const auto [first, last] = Line_Chars(song, line);
  const int start = Line_Start_Column(song, line);
  int f = 0;
  for (int p = first; p <= last && f == 0; ++p) f = Field_At_Char(song, p);
  // The guard bounds the walk should the field table be inconsistent.
  for (int guard = 0; f != 0 && guard <= song.Field_Count; ++guard) {
    const Field_Rec& field = song.Fields[static_cast<std::size_t>(f)];
    if (field.First_Char > last) break;
    if (field.First_Char >= first) {
      const int x = std::max(Field_Left(song, f), start);
      te.Pic_Indication.Line(x, y, x, y + View_Row_Height - 1, Mark_White);
    }
    f = Next_Field(song, f);
  }
  te.View_Changed = true;
}

}  // namespace lyricanvas
