#pragma once
// The timing view: the lyrics line by line in rows of 32 pixels, in the colours and places of
// the CD+G output, with the timed wipe shown in the wiped colours, the syllable separators and
// the current syllable marked. Drawn into te.Pic_Indication; the window only shows that image.
#include "model/song.h"
#include "model/ui.h"
#include "timing/timing_editor.h"

namespace lyricanvas {

// Geometry of the laid-out lyrics ------------------------------------------------------------
/// Line (1-based) of a 1-based character position; 0 for a position below 1.
int Line_Of_Char(const Song& song, int position);
/// Left edge of a character (1-based position), widened at a word's start.
int Char_Left(const Song& song, int position);
/// Left and right pixel edges of a field on its line, widened at word edges.
int Field_Left(const Song& song, int f);
int Field_Right(const Song& song, int f);
/// Width of a field, counting on over the line ends it wraps across.
int Field_Width(const Song& song, int f);
/// Where a line's text begins and ends on the view (start column, end column).
int Line_Start_Column(const Song& song, int line);
int Line_End_Column(const Song& song, int line);
/// First and last character position of a line (the last without its line break).
std::pair<int, int> Line_Chars(const Song& song, int line);

// The view -----------------------------------------------------------------------------------
/// Lays the lyrics out for the view: print offset, scroll range and a cleared picture.
void Prepare_Timing_View(Timing_Editor& te, Song& song);
/// Draws rows 0..10 with lines first_line .. first_line + 10.
void Redraw_View(Timing_Editor& te, const Song& song, int first_line);
/// Draws one row: the line unwiped, the wiped parts of the areas and (Tab mode) separators.
void Draw_View_Line(Timing_Editor& te, const Song& song, int row, int line);
/// Moves the content up by n rows (the view shows later lines) and draws the exposed rows.
void Scroll_View_Up(Timing_Editor& te, const Song& song, int n);
/// Moves the content down by one row and draws the exposed top row.
void Scroll_View_Down(Timing_Editor& te, const Song& song);
/// The scroll bar's change: scrolls by raster copy for small steps, else redraws.
void VSc_Line_Change(Timing_Editor& te, const Song& song, int value);

/// Fills the row band of a field's characters in a colour, its letters drawn on top.
void Mark_Field(Timing_Editor& te, const Song& song, int f, QRgb color);
/// Renders a line in its wiped colours into Pic_Hidden_Screen (skipped when it holds it).
void Render_Wiped_Line(Timing_Editor& te, const Song& song, int line);
/// Shows a field's characters in their wiped colours, on every line it covers.
void Show_Field_Wiped(Timing_Editor& te, const Song& song, int f);
/// White separators at the left edge of every field that begins on the line.
void Draw_Field_Marks(Timing_Editor& te, const Song& song, int y, int line);
/// Copies columns from..to of a line's wiped rendering onto its row, when the row is shown.
void Copy_Wiped_Columns(Timing_Editor& te, const Song& song, int line, int from, int to);

/// Row (0-based) showing a line; negative or past the last row when the line is not shown.
inline int Row_Of_Line(const Timing_Editor& te, int line) { return line - te.VSc_Line_Value; }

}  // namespace lyricanvas
