#pragma once
// Wipe areas and the replay step: runs of timed characters whose wipe the timing view animates
// in step with the song, column by column, following the events of the fields they cover.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/song.h"
#include "model/ui.h"
#include "timing/timing_editor.h"

namespace lyricanvas {

/// Rebuilds the area table from the fields: maximal runs of characters of timed fields, broken
/// where a field starts before the previous one ends.
void Build_Areas(Timing_Editor& te, const Song& song);
/// Inserts the area first..last (1-based positions) ending at end_time (packs), shortened past
/// characters without a field; sets te.Last_Area. With redraw the view is drawn again.
void Add_Area(Timing_Editor& te, const Song& song, int first, int last, double end_time, int line,
              bool redraw);
/// Removes, trims or splits the areas overlapping first..last.
void Cut_Areas(Timing_Editor& te, const Song& song, int first, int last);
/// Brings every area in line with a new song position (seconds).
void Reset_Areas(Timing_Editor& te, const Song& song, const Ui& ui, double song_time);
/// One replay step at the song time (seconds): every started area wipes on to where the song is.
void Replay_Events(Timing_Editor& te, Song& song, const Ui& ui, double song_time);

/// The columns of a line that an area already shows wiped, inclusive; none when it shows nothing
/// there.
std::optional<std::pair<int, int>> Area_Wiped_Span(const Timing_Editor& te, const Song& song,
                                                   int area, int line);

struct Gap {
  double from = 0;  ///< seconds: the end of the area before the pause
  double to = 0;    ///< seconds: the start of the area after it
  bool operator==(const Gap&) const = default;
};
/// Rebuilds the areas and returns the pauses of more than 4 seconds between them.
std::vector<Gap> Find_Gaps(Timing_Editor& te, const Song& song);

/// Writes the area table to the debug log.
void Dump_Areas(const Timing_Editor& te, const Song& song, const Ui& ui);
/// The timing of every field as text, one block per field.
std::string Field_Points_Text(const Song& song);
/// The name proposed for the field dump: the project's name with "_Debug.txt".
std::string Field_Points_File_Name(const Song& song);
/// Writes the field dump to a file; false with a message when it cannot be written.
bool Dump_Field_Points(const Song& song, const Ui& ui, const std::string& path);

}  // namespace lyricanvas
