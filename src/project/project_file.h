#pragma once
// Project files (.cgp): the lyrics as RTF, one line of property tags (every saved control and
// the palette), then one record per field with its event string stored by length.
//
// Layout written:  RTF  CR LF  "<properties>" 0xFE tags CR LF  ("field:" F "," L "," N ":"
// N bytes of events  CR LF CR LF)*
// The tags are UTF-8; a properties section that is not valid UTF-8 comes from an older file
// and is read as Windows-1252. Files whose first byte is 132 are in the older binary layout.
//
// Pictures that are not stored in the file leave one space in the saved text where they stood,
// so every position after them stays valid; on opening, each picture field's file is read and
// put back in place of that space. (Files without such placeholders, from older versions, get
// the picture inserted at its position instead, which restores their positions as well.)
#include <functional>
#include <string>
#include <string_view>

#include "model/song.h"
#include "model/ui.h"
#include "project/read_status.h"

namespace lyricanvas {

inline constexpr char Project_Dialog_Filter[] = "Lyricanvas project files (*.cgp)|*.cgp";
inline constexpr char Open_Dialog_Filter[] =
    "Lyricanvas project files (*.cgp)|*.cgp|Lyrics files (*.txt)|*.txt"
    "|MIDI files (*.mid)|*.mid|KAR files (*.kar)|*.kar";

/// What an open or save dialog is asked for.
struct File_Dialog_Request {
  bool save = false;
  std::string filter;             ///< description|pattern pairs separated by "|"
  std::string default_extension;  ///< without the dot; "" for none
  std::string initial_file;
};
/// Shows a file dialog and returns the chosen full path, "" when the user cancels.
using File_Dialog = std::function<std::string(const File_Dialog_Request&)>;

/// A font counts as installed when the system has the family, compared without regard to case,
/// or the metric-compatible substitute that the classic names are mapped to (Times New Roman ->
/// Liberation Serif, Arial -> Liberation Sans, Courier New -> Liberation Mono), so projects keep
/// their line widths.
bool Font_Installed(const std::string& name);

// Tags ------------------------------------------------------------------------------------------
/// Sets song.Project_Properties: "<properties>" + 0xFE + one tag per saved control in collection
/// order + the 64 palette tags "<color_i_j=v>".
void Build_Properties(Song& song);
/// Sets the controls and the palette from song.Project_Properties. A value that cannot be
/// applied (a refused combo value, a check box value that is no state, a palette value that is
/// no number) leaves its control as it was, a palette level outside 0..15 is clamped, and every
/// other value is applied; the problems are shown once at the end. Partial when a value could
/// not be read as it stood (a font missing on this system is not such a value).
Read_Status Apply_Properties(Song& song, const Ui& ui);

// Writing ---------------------------------------------------------------------------------------
/// The bytes of the project file for the song; sorts its fields and rebuilds its properties.
std::string Project_File_Bytes(Song& song, const Ui& ui);
/// Writes song.Project_File through a temporary file in the same directory that replaces the
/// old file only when it is complete; every failure is reported and leaves the old file intact.
bool Save_Project(Song& song, const Ui& ui);

// Reading ---------------------------------------------------------------------------------------
/// Fills RTB_Raw, Text_Length, Project_Properties, Fields and Field_Count of a song from the
/// bytes of a project, lyrics text or RTF file. Failed with the reason in error; Incomplete,
/// with error saying where the file ends and how many field records were read, when it ends
/// inside its properties or its records (the fields before that point are kept). The song may be
/// partly filled on failure, so callers read into a scratch song.
Read_Status Read_Project_File(Song& song, std::string_view bytes, std::string& error,
                              const Ui& ui);
/// The older binary layout (first byte 132); same contract as Read_Project_File.
bool Read_Old_Project(Song& song, std::string_view bytes, std::string& error, const Ui& ui);
/// Replaces the project by the content of the file at path (a project, lyrics text, RTF, MIDI
/// or KAR file). Any failure is reported and leaves the song as it was (Failed). A ".cgp" must
/// begin like a project. An incomplete project file is opened only when the user, asked through
/// ui, answers Yes; an incomplete MIDI file is opened with a message. Partial when some value
/// could not be read.
Read_Status Open_Project_File(Song& song, const std::string& path, const Ui& ui);
/// Open_Project_File for callers that only ask whether the song was replaced.
bool Open_Project(Song& song, const std::string& path, const Ui& ui);

/// The name "Save Project..." uses next when incremental saving is on: song.cgp -> song_001.cgp,
/// song_007.cgp -> song_008.cgp, song_999.cgp -> song_000.cgp.
std::string Next_Incremental_Name(const std::string& name);

// The project buttons ---------------------------------------------------------------------------
// Each returns true when it did its work, false when the user cancelled or something failed.
bool But_New_Click(Song& song, const Ui& ui, const File_Dialog& dialog);
bool But_Open_Click(Song& song, const Ui& ui, const File_Dialog& dialog);
bool But_Save_Click(Song& song, const Ui& ui, const File_Dialog& dialog);
bool But_SaveAs_Click(Song& song, const Ui& ui, const File_Dialog& dialog);

}  // namespace lyricanvas
