#pragma once
// The Song model: the project in memory. Plain data with free accessors; every table keeps the
// capacity and the 1-based numbering that the rest of the program relies on.
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/controls.h"
#include "model/document.h"
#include "model/font.h"
#include "model/ui.h"

namespace lyricanvas {

constexpr int Max_Fields = 5000;  ///< Fields 1 .. 5000 (index 0 unused)
constexpr int Max_Lines = 500;    ///< Line_Start 0 .. 500
constexpr int Max_Char_X = 8000;  ///< Char_X 0 .. 8000
constexpr int Singer_Count = 8;
constexpr int Max_Layout_Pictures = 100;
constexpr std::int64_t Max_Event_Time = 15'624'999;  ///< three base-250 digits, in packs

/// Picture records begin with this byte; the older form began with 251 + "<Appearanc".
constexpr char Picture_Record_Mark = static_cast<char>(252);

struct Field_Rec {
  std::int16_t First_Char = 0;  ///< 1-based position of the first character; 0 when cleared
  std::int16_t Last_Char = 0;   ///< 1-based position of the last character; 0 when cleared
  std::string Events;           ///< 4-byte events, a picture record, or "" when untimed
  bool operator==(const Field_Rec&) const = default;
};

inline bool Is_Empty(const Field_Rec& f) {
  return f.Events.empty() && f.First_Char == 0 && f.Last_Char == 0;
}
inline bool Is_Picture_Field(const Field_Rec& f) {
  return !f.Events.empty() && f.Events[0] == Picture_Record_Mark;
}

struct Singer_Rec {
  std::string Name;
  QRgb Text_Color = 0;
  int Unwiped_Body = 0;
  int Unwiped_Outline = 0;
  int Wiped_Body = 0;
  int Wiped_Outline = 0;
  bool operator==(const Singer_Rec&) const = default;
};

/// Palette (i, j): j = 1 red, 2 green, 3 blue, each 0..15; column 0 is carried along.
using Palette_Table = std::array<std::array<int, 4>, 16>;

/// A distinct text style of the lyrics: font plus singer colour with its palette entries.
struct Style_Rec {
  Font_Rec Font;
  QRgb Text_Color = 0;
  int Unwiped_Body = 0;
  int Unwiped_Outline = 0;
  int Wiped_Outline = 0;
  int Wiped_Body = 0;
  bool operator==(const Style_Rec&) const = default;
};

/// Role codes of the colour look-up.
enum Palette_Role : int {
  Role_Background = 0,
  Role_Unwiped_Outline = 1,
  Role_Unwiped_Body = 2,
  Role_Wiped_Outline = 4,
  Role_Wiped_Body = 5,
  Role_None = 6
};

struct Song {
  Song();

  Document RTB_Raw;     ///< the lyrics
  Document RTB_Shadow;  ///< scratch box (saving without pictures)
  Controls Window_Controls;

  std::array<Field_Rec, Max_Fields + 1> Fields{};
  int Field_Count = 0;
  std::array<Field_Rec, Max_Fields + 1> Fields_Backup{};

  // Layout tables, rebuilt by the layout pass.
  std::vector<std::int16_t> Char_Field;  ///< 0 .. text length + 100, by position
  std::array<std::int16_t, Max_Lines + 1> Line_Start{};
  std::array<std::int32_t, Max_Char_X + 1> Char_X{};
  std::array<std::int16_t, Max_Char_X + 1> Char_Style{};
  std::vector<Style_Rec> Text_Styles;  ///< 1 .. n in use; [0] unused
  std::array<std::int32_t, Max_Lines + 2> Line_End_X{};
  int Wipe_Margin = 4;
  bool Draw_Outline = true;

  std::array<Singer_Rec, Singer_Count + 1> Singers{};
  Palette_Table Palette{};
  std::array<QRgb, 16> Palette_RGB{};

  std::string Project_File;
  std::string Project_Properties;
  std::int32_t Text_Length = 0;
  bool Suppress_Text_Events = false;
  /// Set once an edit tracker moves the fields with every change of RTB_Raw (the window's);
  /// code that changes the text must then leave the fields to it.
  bool Fields_Follow_Text = false;
  int Picture_Count = 0;
  std::int32_t Last_Sel_Start = 0;
  double Song_Time = 0;
  int Current_Field = 0;

  // Files named on the creation tab, kept by the creation settings.
  std::string Audio_File;
  std::string Wav_File;
};

// Defaults ------------------------------------------------------------------------------------
Palette_Table Default_Palette();
/// Restores the default colours, leaving entry 4 as it is.
void Restore_Default_Palette(Song& song);
void Update_Palette_RGB(Song& song);

// Event strings -------------------------------------------------------------------------------
/// The four bytes of one event: position digit p (1..251) and a time in packs.
std::string Encode_Event(int position_digit, std::int64_t time_packs);
/// Time in packs of event k (1-based; k = 0 is taken as 1, -1 means the last); -1 if none.
std::int64_t Event_Time_Packs(const std::string& events, int k);
int Event_Count(const std::string& events);
/// Time in packs of the three time digits starting at byte index i.
std::int64_t Decode_Time_Digits(const std::string& events, std::size_t i);

// Accessors -----------------------------------------------------------------------------------
double Field_Time(const Song& song, int f, int k);
double Event_Position(const Song& song, int f, int k);
int Field_At_Char(const Song& song, int position);
int Next_Field(const Song& song, int f);
int Field_Containing(const Song& song, int position);
int Line_X(const Song& song, int n);
QString Line_Text(const Song& song, int n);
int Line_Count(const Song& song);
/// Selects line n in the lyrics and returns its text colour, -1 when it mixes colours.
std::int64_t Select_Line(Song& song, int n);
Font_Rec Line_Font(const Song& song, int n);
Font_Rec Selection_Font(const Song& song);
std::optional<int> Singer_Palette_Index(const Song& song, QRgb text_color, int role);

/// True when the file exists; an empty path gives false silently, otherwise a missing file or
/// volume is reported through the Ui.
bool File_Exists(const Ui& ui, const std::string& path);

}  // namespace lyricanvas
