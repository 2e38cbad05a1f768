#pragma once
// The coloring timeline: every lyrics line's timed events become coloring points (pack, column)
// that the wipe follows, through the time-base correction.
#include <string>

#include "cdg/run_state.h"
#include "model/song.h"
#include "model/surface.h"

namespace lyricanvas {

/// Raw coloring points of a line (1-based), times in seconds. Needs the layout tables of the
/// current text. At most Max_Coloring_Points are kept; *overflowed (when given) tells whether
/// the line had more. With the line's ink columns, every field's wipe starts at its first
/// inked column, which changes colour at the field's first event (the blank before it jumps).
coloring_line fetch_line(const Creation_Run& run, const Song& song, int line,
                         bool* overflowed = nullptr, const Ink_Columns* ink = nullptr);
/// Pack number (not rounded) of a time t in seconds of the wiped data.
double correct_timebase(const Creation_Settings& settings, double t);
/// Clears repeated time-base pairs, as read from the creation tab.
void Normalise_Timebase(Creation_Settings& settings);
/// Cleans one fetched line and turns its times into pack numbers with intermediate steps, raising
/// run.last_color_pack. Returns true when points were left out at the line's capacity.
bool Correct_Coloring_Line(Creation_Run& run, coloring_line& line);
/// The columns of a line where the run's wiping style recolours something.
Ink_Columns Wiped_Ink_Columns(Creation_Run& run, const Song& song, Surface& work, int line);
/// Fills run.coloring_table (1 .. line count, at most 500) and run.last_color_pack. Lines past
/// 500 and points past 300 per line are left out, and the user is told once per run.
void build_coloring_table(Creation_Run& run, const Song& song);

/// Orders the fields by First_Char and drops empty records (before a project is saved).
void sort_fields(Song& song, const Ui& ui);

/// The line that ends every internal error message, asking the user for an error report.
std::string Error_Report_Request();

}  // namespace lyricanvas
